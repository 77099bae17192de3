#pragma once
// The program's only top-level window and the application's coordinator: its
// own frame, the page-button strip, the status bar; the read-all sequence on
// each connection, the firmware-compatibility check and the navigation lock,
// firmware queries gated by the login, the language menu and the update
// server's verdicts.
//
// Device events arrive on the serial listener thread (frames) and the device
// finder thread (connect); onDevEvent only touches atomics, the application
// model (locked) and pendingRequests (under requestsLock) and reaches the GUI
// through queued signals.
#include "protocol/DevListener.h"

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <atomic>
#include <functional>
#include <mutex>

class QActionGroup;
class QLabel;
class QMenu;
class QParallelAnimationGroup;
class QPushButton;
class QTimer;
class LoginService;
class qLogin;
class qUpdater;
class qSoftwareUpdater;
class newsletter;
class qMessageWin;
class InfoHost;
class ToolsHost;
class UpgradeHost;
class qPageButton;
class qPageTemplate;

class qMainFrame : public QWidget, public orb::DevListener {
    Q_OBJECT
public:
    explicit qMainFrame(QWidget* parent = nullptr);
    ~qMainFrame() override;

    void onDevEvent(const DevEvent* event) override;

    void addTabPage(qPageTemplate* page);
    void layoutPageButtons();
    void buildLanguageMenu();
    void loadAllParameters();
    bool restoreDefaults();
    void showTip(QString text);
    void showLoginOrError();
    void showSoftwareUpdater();
    // The first server-configuration request: on the first activation, or
    // from start-up when no window manager ever activates the window.
    void fetchServerConfigOnce();
    // Calls PageLeave on every page container (before a modal dialog runs).
    void leaveAllPages();
    // Closes the window now, or, while a firmware upgrade runs, once it ends
    // (the tip says why). For closes the program decides on itself.
    void closeWhenIdle();

    // False while the main controller's firmware is known to be incompatible:
    // only the "Upgrade" and "Internal" buttons switch pages then.
    static bool navigationAllowed();
    static void setNavigationAllowed(bool allowed);

    int currentPageIndex() const { return currentPage; }
    int pageCount() const { return static_cast<int>(pages.size()); }
    qPageTemplate* page(int index) const;
    qPageButton* pageButton(int index) const;
    QString currentTip() const;
    QMenu* languageMenuWidget() const { return languageMenu; }
    QPushButton* languageMenuButton() const { return languageButton; }
    LoginService* loginService() const { return login; }
    qLogin* loginDialog() const { return loginDlg; }
    qUpdater* firmwareDialog() const { return firmwareDlg; }
    // What the update dialog and the upgrade pages see of this window.
    UpgradeHost* upgradeHost() const { return host; }
    InfoHost* infoHost() const { return infoPageHost; }
    ToolsHost* toolsHost() const { return toolsPageHost; }
    qSoftwareUpdater* softwareDialog() const { return softwareDlg; }
    newsletter* newsletterWindow() const { return newsDlg; }
    qMessageWin* messageWindow() const { return messageWin; }

    // Extra advice for the connection-failure warning (set when the port could
    // not be opened for lack of permission).
    void setConnectFailureHint(const QString& hint);

    // Seams for the update-server side: the firmware query per module and the
    // logged-in test. Defaults use the update-server client and the login.
    void setFirmwareRequester(std::function<void(int module)> requester);
    void setLoggedInTest(std::function<bool()> test);
    // Seams for the update-server configuration test and for what the
    // heartbeat asks of the firmware update dialog.
    void setServerConfigTest(std::function<bool()> test);
    void setDialogRefresher(std::function<void()> refresher);

    static constexpr int tipMs = 5000;
    // The activity image stays lit this long after the last frame. Longer
    // than the gimbal page's 50 ms poll, so steady traffic keeps it lit
    // instead of blinking it (each blink is a window repaint of its own).
    static constexpr int activityMs = 120;
    static constexpr int heartbeatMs = 500;
    static constexpr int scrollMs = 200;

signals:
    void s_navigator_disabled();
    void devValueChanged();
    void fwVersionCheck(int);
    void signal_showTipText(QString);
    void checkFirmwareUpdates(int);

public slots:
    void onFwVersionCheck(int result);
    void onCheckFirmUpdates(int _flags);
    void onCheckFirmUpdates();
    void onUpdate();
    void scrollPageUp();
    void scrollPageDown();
    void scrollFinished();
    void focusPage(int index);
    void _changeConnection(bool bConnect);
    void _dataTransfer(bool);
    void _shutCommunitcation();
    void _porcessheardbeat();
    void onConnectFail();
    void enterForceUpgrade(int canDeviceId);
    void QMainFramePosChange(int);
    void QMainFrameQueueFinished(bool queuefinished);
    void onShowNewsLetter(QString url, int version);
    void onShowNewsLetter();
    void onSoftwareDisabled();
    void OnLanguageItemChanged();
    void onLoginOK(int loginType);
    void doAutoLogin(int);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildUi();
    void buildTitleBar(QWidget* bar);
    void buildPageStrip(QWidget* strip);
    void buildStatusBar(QWidget* bar);
    void connectSignals();
    bool mayPress(const qPageButton& button);
    void scrollTo(int view);
    void showPage(int index);
    void runFirmwareCheck(std::pair<int, int> device);
    void requestFirmware(int module);
    bool loggedIn() const;
    void onVersionReply(const uint8_t* record);
    void onCmuVersionReply(const uint8_t* record);
    void markLoaderModule(int loaderDevice);
    void setLinkImage(bool connected);
    void setOutputState(bool motorsLocked);
    void showTipLine(const QString& text);
    bool upgradeRunning() const;
    void tellCloseWaits(bool closesLater);

    // Widget tree.
    QWidget* barMenu = nullptr;
    QWidget* barStatus = nullptr;
    QWidget* pageTabButton = nullptr; // the strip between the scroll buttons
    QWidget* pageCur = nullptr;
    QLabel* itemTitle = nullptr;
    QPushButton* scrollUpButton = nullptr;
    QPushButton* scrollDownButton = nullptr;
    QLabel* linkIcon = nullptr;
    QLabel* activityIcon = nullptr;
    QLabel* modeCaption = nullptr;
    QLabel* modeValue = nullptr;
    QLabel* outputCaption = nullptr;
    QLabel* outputValue = nullptr;
    QLabel* tipLabel = nullptr;
    QTimer* tipTimer = nullptr;

    QList<qPageTemplate*> pages;
    QList<qPageButton*> pageButtons;
    int currentPage = -1;
    int buttonsPerView = 0;
    int buttonView = 0;
    int buttonViewCount = 0;
    QSize buttonSize{96, 72};
    QParallelAnimationGroup* scrollGroup = nullptr;
    QString languageName;

    bool dragging = false;
    QPoint dragOffset;

    bool activityIdle = true;
    QPixmap activityIdlePixmap;
    QPixmap activityBusyPixmap;
    QTimer* activityTimer = nullptr;
    QTimer* heartbeatTimer = nullptr;

    std::atomic<bool> fwCheckPending{false};
    std::mutex requestsLock;
    uint32_t pendingRequests = 0; // under requestsLock

    int serverConfigFailures = 0;
    bool connectFailShowing = false; // the connection-failure warning is up
    bool closePending = false;       // a close waits for the upgrade to end
    QString connectFailHint;
    LoginService* login = nullptr;
    qLogin* loginDlg = nullptr;       // owned through the widget tree
    qUpdater* firmwareDlg = nullptr;  // owned through the widget tree
    UpgradeHost* host = nullptr;      // owned through the object tree
    QPushButton* languageButton = nullptr;
    QMenu* languageMenu = nullptr;
    QActionGroup* languageGroup = nullptr;
    QList<QAction*> languageActions;
    InfoHost* infoPageHost = nullptr;     // owned through the object tree
    ToolsHost* toolsPageHost = nullptr;   // owned through the object tree
    qSoftwareUpdater* softwareDlg = nullptr; // owned through the widget tree
    newsletter* newsDlg = nullptr;        // owned through the widget tree
    qMessageWin* messageWin = nullptr;    // its own window, owned through the widget tree

    std::function<void(int)> firmwareRequester;
    std::function<bool()> loggedInTest;
    std::function<bool()> serverConfigTest;
    std::function<void()> dialogRefresher;
};

// The process-wide main window (set by start-up; null before and after).
qMainFrame* mainFrame();
void setMainFrame(qMainFrame* frame);
