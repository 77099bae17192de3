#include "app/PageSetup.h"

#include "app/framework/PageContainers.h"
#include "app/qMainFrame.h"
#include "app/config/GlobalCfg.h"
#include "online/DataUploader.h"
#include "pages/qInfoPage.h"
#include "pages/qMainPage.h"
#include "pages/qToolsPage.h"
#include "pages/qPageGimbal.h"
#include "pages/qTxCali.h"
#include "link/DevIo.h"
#include "upgrade/FlashLog.h"
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
    // The calibration page is a service tool: the debug build and power
    // users (--all-pages) get it.
    qTxCali* cali = nullptr;
    if (debugMode || allPages) {
        cali = new qTxCali();
        basic->addTabPage(cali);
        QObject::connect(basic, &qPageTemplate::signal_PageTick, cali, &qTxCali::OnPageTick);
    }
    basic->focusPage(0);

    auto* upgradePage = new qUpgradePage(frame.upgradeHost(), frame.firmwareDialog());
    upgrade->addTabPage(upgradePage);
    upgrade->focusPage(0);

    auto* internalPage = new qInternalPage();
    auto* testPage = new qExampleTovan();
    internal->addTabPage(internalPage);
    internal->addTabPage(testPage);
    internal->focusPage(0);

    // The flight-controller pages are built always but reach the device only
    // when shown (--all-pages). The containers hand enter and leave to them.
    auto* mainPage = new qMainPage(dataUploader());
    main->addTabPage(mainPage);
    QObject::connect(main.get(), &qPageTemplate::signal_PageTick, mainPage, &qMainPage::PageTick);
    main->focusPage(0);
    auto* toolsPage = new qToolsPage(frame.toolsHost());
    tools->addTabPage(toolsPage);
    QObject::connect(tools.get(), &qPageTemplate::signal_PageTick, toolsPage, &qToolsPage::PageTick);
    tools->focusPage(0);

    auto* about = new qInfoPage(frame.infoHost(), frame.loginService(), dataUploader());
    about->setUpgradeHistory([] { return kzo::upgrade::recentUpgradeLines(5); });
    info->addTabPage(about);
    QObject::connect(info, &qPageTemplate::signal_PageTick, about, &qInfoPage::PageTick);
    info->focusPage(0);

    // The pages answer the device through the device I/O in force. Pages
    // nobody can reach stay deaf: the internal pages take every frame.
    std::vector<qTabPage*> live{gimbal, upgradePage, about};
    if (cali)
        live.push_back(cali);
    if (allPages)
        live.insert(live.end(), {mainPage, toolsPage, internalPage, testPage});
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
