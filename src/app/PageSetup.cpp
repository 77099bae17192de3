#include "app/PageSetup.h"

#include "app/framework/PageContainers.h"
#include "app/framework/qResources.h"
#include "app/qMainFrame.h"
#include "pages/qPageGimbal.h"
#include "pages/qVersionsPage.h"
#include "link/DevIo.h"
#include "upgrade/pages/qExampleTovan.h"
#include "upgrade/pages/qInternalPage.h"
#include "upgrade/pages/qUpgradePage.h"

namespace kzo::app {

PageSetup::PageSetup(qMainFrame& frame, bool allPages)
{
    auto* basic = new qBasicPageBase();
    auto main = std::make_unique<qMainPageBase>();
    auto* info = new qInfoPageBase();
    auto tools = std::make_unique<qToolsPageBase>();
    auto* upgrade = new qUpgradePageBase();
    auto internal = std::make_unique<qInternalPageBase>();

    auto* gimbal = new qPageGimbal();
    basic->addTabPage(gimbal);
    QObject::connect(basic, &qPageTemplate::signal_PageTick, gimbal, &qPageGimbal::OnPageTick);
    basic->focusPage(0);

    auto* upgradePage = new qUpgradePage(frame.upgradeHost(), frame.firmwareDialog());
    upgrade->addTabPage(upgradePage);
    upgrade->focusPage(0);

    auto* internalPage = new qInternalPage();
    auto* testPage = new qExampleTovan();
    internal->addTabPage(internalPage);
    internal->addTabPage(testPage);
    internal->focusPage(0);

    const qResources& res = qResources::get();

    auto* about = new qVersionsPage(res.titleInfo, QStringLiteral("info"), qVersionsPage::infoRows());
    info->addTabPage(about);
    QObject::connect(info, &qPageTemplate::signal_PageTick, about, &qVersionsPage::OnPageTick);
    info->focusPage(0);

    // The pages answer the device through the device I/O in force. Pages
    // nobody can reach stay deaf: the internal pages take every frame.
    std::vector<qTabPage*> live{gimbal, upgradePage, about};
    if (allPages)
        live.insert(live.end(), {internalPage, testPage});
    for (qTabPage* p : live) {
        currentDevIo->addListener(p);
        listeners.push_back(p);
    }

    // The window owns what it shows: basic, upgrade, info, in this order.
    frame.addTabPage(basic);
    frame.addTabPage(upgrade);
    frame.addTabPage(info);
    if (allPages) {
        frame.addTabPage(main.release());
        frame.addTabPage(tools.release());
        frame.addTabPage(internal.release());
        return;
    }
    unshown.push_back(std::move(main));
    unshown.push_back(std::move(tools));
    unshown.push_back(std::move(internal));
}

PageSetup::~PageSetup() = default;

void PageSetup::detach(orb::DevIo& io)
{
    for (orb::DevListener* l : listeners)
        io.removeListener(l);
    listeners.clear();
}

} // namespace kzo::app
