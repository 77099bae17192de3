#include "app/framework/qResources.h"

#include "app/config/GlobalCfg.h"
#include "resources/KzoResources.h"

namespace {

const QString U = QStringLiteral(":/Utility/res/");
const QString M = QStringLiteral(":/mult/res/mult/");
const QString R = QStringLiteral(":/res/");
const QString family = QStringLiteral("_vortima");

QString u(const char* name)
{
    return U + QLatin1String(name);
}

qResources::StateImages states(const QString& stem, const char* normal, const char* hover, const char* pressed,
                               const QString& suffix = {})
{
    return {U + stem + QLatin1String(normal) + suffix, U + stem + QLatin1String(hover) + suffix,
            U + stem + QLatin1String(pressed) + suffix};
}

qResources::StateImages pageSet(const char* set)
{
    const QString stem = QStringLiteral("page_%1_").arg(QLatin1String(set));
    return states(stem, "normal_t", "hover_t", "focus_t", QStringLiteral(".png"));
}

QString redBold(const QString& text)
{
    return QStringLiteral("<font color=red><b>") + text + QStringLiteral("</b></font>");
}

} // namespace

qResources::qResources(QObject* parent) : QObject(parent)
{
    kzo::initResources();
    setPaths();
    setTexts();
}

const qResources& qResources::get()
{
    if (const qResources* r = instance())
        return *r;
    // Tests and tools that run no start-up still find every path. The stand-in
    // publishes itself like any instance; start-up's own catalogue replaces it.
    static const qResources* standIn = [] {
        static qResources fallback;
        return &fallback;
    }();
    const qResources* r = instance();
    return r ? *r : *standIn;
}

void qResources::fill(bool debug, int language)
{
    setTexts();
    debugMode = debug;
    languageId = language;
}

QString qResources::valueStyle(int state) const
{
    if (state == 0)
        return valueStyleDefault;
    if (state == 1 || state == 2)
        return valueStyleEdited;
    return {};
}

void qResources::setPaths()
{
    const QString png = QStringLiteral(".png");
    pageTabBorderTop = U + "page_tab_border_top" + family + png;
    pageTabBorderBottom = U + "page_tab_border_bottom" + family + png;
    pageTabBorderLeft = U + "page_tab_border_left" + family + png;
    pageTabBorderRight = U + "page_tab_border_right" + family + png;
    tabContentBackground = U + "tab_content_bg" + family + png;
    subTabBackground = U + "sub_tab_bg" + family + png;
    pageScrollUp = states(QStringLiteral("scroll_up_"), "normal.png", "hover.png", "press.png");
    pageScrollDown = states(QStringLiteral("scroll_down_"), "normal.png", "hover.png", "press.png");
    pageScrollUpDisabled = u("scroll_up_disabled.png");
    pageScrollDownDisabled = u("scroll_down_disabled.png");
    subScrollUp = states(QStringLiteral("sub_scroll_up_"), "normal.png", "hover.png", "press.png");
    subScrollDown = states(QStringLiteral("sub_scroll_down_"), "normal.png", "hover.png", "press.png");
    subScrollUpDisabled = u("sub_scroll_up_disabled.png");
    subScrollDownDisabled = u("sub_scroll_down_disabled.png");
    subBorderLeft = U + "sub_border_left" + family + png;
    subBorderRight = U + "sub_border_right" + family + png;
    subBorderBottom = U + "sub_border_bottom" + family + png;
    bodyLeft = U + "body_left" + family + png;
    bodyRight = U + "body_right" + family + png;
    titleBar = U + "title_bar" + family + png;
    statusBar = U + "status_bar" + family + png;
    minimizeButton = states(QStringLiteral("btn_min_"), "normal.png", "hover.png", "press.png");
    exitButton = states(QStringLiteral("btn_exit_"), "normal.png", "hover.png", "press.png");
    linkConnected = U + "connect" + family + png;
    linkDisconnected = U + "disconnect" + family + png;
    linkReceiving = U + "receive" + family + png;
    linkSending = U + "send" + family + png;

    pageSetup = pageSet("setup");
    pageParameters = pageSet("parameters");
    pageAdvanced = pageSet("advanced");
    pageTools = pageSet("tools");
    pageUpgrade = pageSet("upgrade");
    pageInfo = pageSet("info");
    pageInternal = pageSet("info2");
    pageTabItem = states(QStringLiteral("page_tab_item_"), "normal.png", "hover.png", "focus.png");
    // The first tab has a rounded outer corner; the other nine share one shape.
    subTabItems[0] = states(QStringLiteral("sub_tab_first_"), "normal.png", "hover.png", "focus.png");
    for (int i = 1; i < subTabPositions; ++i)
        subTabItems[i] = states(QStringLiteral("sub_tab_"), "normal.png", "hover.png", "focus.png");

    buttonNormal = u("button_normal.png");
    buttonFocus = u("button_focus.png");
    buttonPress = u("button_press.png");
    buttonChecked = u("button_checked.png");
    buttonDisabled = u("button_disabled.png");
    switchOnIcon = u("switch_on.png");
    switchOffIcon = u("switch_off.png");

    const QString series = GlobalCfg::instance()->series;
    logo = U + QStringLiteral("logo_") + series + png;
    appIcon = R + QStringLiteral("app_icon.png");
    splash = GlobalCfg::instance()->splashImage;
    windowTitle = series;

    labelWhite = QStringLiteral("QLabel {font:normal 12px \"Arial\";color:white}");
    labelAccent = QStringLiteral("QLabel {font:normal 12px \"Arial\";color: rgb(11, 163, 212)}");
    labelAccentBold = QStringLiteral("QLabel {font:bold 12px \"Arial\";color: rgb(11, 163, 212)}");
    labelTitle = QStringLiteral("QLabel {font:bold 13px \"Arial\";color:white}");
    tipStyle = QStringLiteral("QLabel {font:bold 12px \"Arial\";color: rgb(11, 163, 212)}");
    skipButtonStyle = QStringLiteral(
        "QPushButton{font:normal 12px \"Arial\";color:white;background:rgba(29,29,29,180);"
        "border:1px solid rgb(11,163,212);border-radius:3px;padding:2px 10px;}"
        "QPushButton:hover{background:rgb(11,163,212);}"
        "QPushButton:pressed{background:rgb(6,104,140);}");
    mountForward = M + "mount_forward.png";
    mountForwardChecked = M + "mount_forward_checked.png";
    mountBackward = M + "mount_backward.png";
    mountBackwardChecked = M + "mount_backward_checked.png";
    failsafeLanding = M + "failsafe_landing.png";
    failsafeLandingChecked = M + "failsafe_landing_checked.png";
    failsafeGoHome = M + "failsafe_gohome.png";
    failsafeGoHomeChecked = M + "failsafe_gohome_checked.png";
    mixerX1 = M + "X1.png";
    mixerX2 = M + "X2.png";
    okImage = u("ok.png");
    failureImage = u("failure.png");
    // The pictures themselves are the indicators; %1 and %2 are the unchecked
    // and checked illustration of one choice.
    radioIndicatorStyle = QStringLiteral(
        "QRadioButton::indicator{width:124px;height:124px;}"
        "QRadioButton::indicator:unchecked{image:url(%1);}"
        "QRadioButton::indicator:checked{image:url(%2);}");
    valueStyleDefault = QStringLiteral("font : normal  \"Arial\";color: rgb(11, 163, 212);");
    valueStyleEdited = QStringLiteral("font : normal \"Arial\"; color : black;");
}

void qResources::setTexts()
{
    titleView = tr("View");
    titleBasic = tr("Basic");
    titleAdvanced = tr("Advanced");
    titleTools = tr("Tools");
    titleInfo = tr("Info");
    titleUpgrade = tr("Upgrade");
    titleInternal = tr("Internal");
    alreadyRunning = tr("Assistant is already running!");
    restoreQuestion = redBold(tr("Do you really want to restore the default settings? Before you select Yes, "
                                 "please disconnect the power to all motors or remove all propellers."));
    upgradeQuestion = redBold(tr("Do you really want to upgrade the Firmware? Before you select Yes, please "
                                 "disconnect the power to all motors or remove all propellers."));
    pressEnterToWrite = tr("Press Enter to Write. ");
    networkError = tr("Network error,please check you connection to the internet and restart the application! ");
    stickCentreHint = tr("Calibration finished. Please move all sticks back to the centre position.");
}
