#include "app/PageSetup.h"

#include "app/framework/PageContainers.h"
#include "app/framework/qResources.h"
#include "app/qMainFrame.h"
#include "pages/qPageGimbal.h"
#include "pages/qVersionsPage.h"
#include "link/DevIo.h"

namespace kzo::app {

PageSetup::PageSetup(qMainFrame& frame)
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

    const qResources& res = qResources::get();
    auto* versions = new qVersionsPage(res.titleUpgrade, QStringLiteral("upgrade"), qVersionsPage::upgradeRows());
    upgrade->addTabPage(versions);
    QObject::connect(upgrade, &qPageTemplate::signal_PageTick, versions, &qVersionsPage::OnPageTick);
    upgrade->focusPage(0);

    auto* about = new qVersionsPage(res.titleInfo, QStringLiteral("info"), qVersionsPage::infoRows());
    info->addTabPage(about);
    QObject::connect(info, &qPageTemplate::signal_PageTick, about, &qVersionsPage::OnPageTick);
    info->focusPage(0);

    // The pages answer the device through the device I/O in force.
    for (qTabPage* p : std::initializer_list<qTabPage*>{gimbal, versions, about}) {
        currentDevIo->addListener(p);
        listeners.push_back(p);
    }

    // The window owns what it shows: basic, upgrade, info, in this order.
    frame.addTabPage(basic);
    frame.addTabPage(upgrade);
    frame.addTabPage(info);
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
