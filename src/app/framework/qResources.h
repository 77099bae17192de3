#pragma once
// Catalogue of picture paths, style sheets and shared translated texts that the
// main window and the pages read instead of literals.
#include "protocol/Singleton.h"

#include <QObject>
#include <QString>
#include <array>

class qResources : public QObject, public SingletonEx<qResources> {
    Q_OBJECT
public:
    // A picture in its three interaction states.
    struct StateImages {
        QString normal;
        QString hover;
        QString pressed;
    };

    static constexpr int subTabPositions = 10;

    explicit qResources(QObject* parent = nullptr);

    // Re-reads every text through the installed translator and stores the two
    // start-up facts; start-up calls it once right after the language is loaded.
    void fill(bool debug, int languageId);

    // The catalogue in force; a built-in default when start-up has made none yet.
    static const qResources& get();

    // Value style of a spin box by state (0 default, 1 and 2 edited); empty for others.
    QString valueStyle(int state) const;

    // --- window frame ----------------------------------------------------
    QString pageTabBorderTop, pageTabBorderBottom, pageTabBorderLeft, pageTabBorderRight;
    QString tabContentBackground, subTabBackground;
    StateImages pageScrollUp, pageScrollDown;  // page-button strip
    QString pageScrollUpDisabled, pageScrollDownDisabled;
    StateImages subScrollUp, subScrollDown;    // sub-page tab row
    QString subScrollUpDisabled, subScrollDownDisabled;
    QString subBorderLeft, subBorderRight, subBorderBottom;
    QString bodyLeft, bodyRight, titleBar, statusBar;
    StateImages minimizeButton, exitButton;
    // Link state: connected, disconnected, receiving, sending (idle).
    QString linkConnected, linkDisconnected, linkReceiving, linkSending;

    // --- page buttons (pressed = shown while the page is current) ------------
    StateImages pageSetup, pageParameters, pageAdvanced, pageTools, pageUpgrade, pageInfo, pageInternal;
    StateImages pageTabItem;
    std::array<StateImages, subTabPositions> subTabItems;

    // --- generic skins and widgets -----------------------------------------
    QString buttonNormal, buttonFocus, buttonPress, buttonChecked, buttonDisabled;
    QString switchOnIcon, switchOffIcon;

    // --- branding ------------------------------------------------------------
    QString logo;   // ":/Utility/res/logo_" + series + ".png"
    QString appIcon;
    QString splash;
    QString windowTitle; // = series

    // --- style sheets ----------------------------------------------------------
    QString labelWhite;       // normal 12 px white
    QString labelAccent;      // normal 12 px accent
    QString labelAccentBold;  // bold 12 px accent
    QString labelTitle;       // bold 13 px white
    QString tipStyle;         // the pages' transient tip line
    QString skipButtonStyle;  // the splash screen's skip button
    QString radioIndicatorStyle; // 124 x 124 picture indicators
    QString valueStyleDefault;   // state 0
    QString valueStyleEdited;    // states 1 and 2

    // --- illustrations -----------------------------------------------------------
    QString mountForward, mountForwardChecked, mountBackward, mountBackwardChecked;
    QString failsafeLanding, failsafeLandingChecked, failsafeGoHome, failsafeGoHomeChecked;
    QString mixerX1, mixerX2;
    QString okImage, failureImage;

    // --- translated texts -------------------------------------------------------
    QString titleView, titleBasic, titleAdvanced, titleTools, titleInfo, titleUpgrade, titleInternal;
    QString alreadyRunning;
    QString restoreQuestion;  // wrapped in red bold
    QString upgradeQuestion;  // wrapped in red bold
    QString pressEnterToWrite;
    QString networkError;
    QString stickCentreHint;

    // --- start-up facts ------------------------------------------------------
    bool debugMode = false;
    int languageId = 0;

private:
    void setPaths();
    void setTexts();
};
