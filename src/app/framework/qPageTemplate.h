#pragma once
// A page with a row of sub-page tabs, a content area, an optional help view
// beside it, a 500 ms tick while entered and enter/leave notifications.
#include "app/framework/qTabPage.h"

#include <QList>
#include <QParallelAnimationGroup>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class HelpView;
class QPushButton;
class qHtmlHelper;

class qPageTemplate : public qTabPage {
    Q_OBJECT
public:
    static constexpr int tickMs = 500;
    static constexpr int scrollMs = 200;
    static constexpr int tabWidth = 110;
    static constexpr int tabHeight = 30;

    // layoutStyle: 17, 19, 21, 23, 25 or 27 for containers; 19 and 21 frame the
    // content with borders. A plain page (style 0 and no help view) builds no
    // frame, so a sub-page can lay out its own widgets; its frame is only built
    // if sub-pages are ever added to it.
    explicit qPageTemplate(QWidget* parent = nullptr, int helpWidth = 0, bool helpOnLeft = false,
                           int layoutStyle = 0);
    ~qPageTemplate() override;

    void loadPage() override {}

    // --- sub-pages ---------------------------------------------------------
    int subPageCount() const { return static_cast<int>(subPages.size()); }
    qTabPage* subPage(int index) const { return subPages.value(index); }
    qTabPage* currentSubPage() const { return subPages.value(currentSub); }
    int currentIndex() const { return currentSub; }
    QPushButton* tabButton(int index) const { return tabButtons.value(index); }
    int tabViewIndex() const { return tabView; }
    int tabViewCount() const { return viewCount; }
    QPushButton* tabScrollUpButton() const { return scrollUpButton; }
    QPushButton* tabScrollDownButton() const { return scrollDownButton; }

    // --- entering and the tick ------------------------------------------------
    bool isEntered() const { return entered; }
    bool isTicking() const { return tickTimer.isActive(); }
    int tickTimerId() const { return tickTimer.timerId(); }
    // Enters/leaves a page the way a container does: its own tick and signal for
    // a page template, the page's PageEnter/PageLeave otherwise.
    static void enterPage(qTabPage* page);
    static void leavePage(qTabPage* page);

    // --- help ---------------------------------------------------------------
    int helpWidth() const { return helpViewWidth; }
    int layoutStyle() const { return frameStyle; }
    bool isHelpOnLeft() const { return helpLeft; }
    HelpView* helpView() const { return help; } // null when the help width is 0
    qHtmlHelper* helpModel() const { return helper; }
    QWidget* contentArea() const { return pageCur; }
    QString docDir = QStringLiteral("doc");
    QString language;
    // Help names are looked up under the current sub-page's what's-this name.
    QString helpFolder() const;
    // The help page for a name: the user's language, else en_US; empty if neither exists.
    QString findHelpPage(const QString& name) const;
    // The English path reported when a help page is missing.
    QString missingHelpPath(const QString& name) const;
    // The tip text for a name (empty without a current sub-page or tip file).
    QString tipText(const QString& name) const;
    // What the help view was last asked to show: a file, or the missing-page HTML.
    QUrl shownHelpUrl() const { return shownUrl; }
    QString shownHelpHtml() const { return shownHtml; }

    // --- spin boxes -----------------------------------------------------------
    void connectSpinBoxes(QWidget* root);
    static void setValueStyle(QWidget* widget, int state);
    // Every spin box under root.
    static void setValueStyleAll(QWidget* root, int state);

signals:
    void signal_AddPage(int);
    void signal_DelPage(int);
    void signal_PageTick();
    void signal_EnterSubPage();
    void signal_LeaveSubPage();
    void showNextPage();
    void showPreviousPage();
    void showFirstPage();

public slots:
    void PageEnter() override;
    void PageLeave() override;
    void scrollPageUp();
    void scrollPageDown();
    void scrollFinished();
    void focusPage(int);
    void showPage(int);
    void addTabPage(qTabPage* lpTabPage, int nIndex);
    void addTabPage(qTabPage* lpTabPage);
    void removePage(int nIndex);
    void showToolTip(QString szWhat);
    void showHtmlHelp(QString);
    virtual void onKzoSpinBoxValueChanged(int) {}
    virtual void onKzoDoubleSpinBoxValueChanged(double) {}
    void onOpenUrl(QUrl);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    bool ensureFrame();
    void layoutTabs(bool animate, int direction);
    void updateScrollButtons();
    int tabsPerView() const;
    void startTick();

    QList<QPushButton*> tabButtons;
    QList<qTabPage*> subPages;
    int currentSub = -1;
    int helpViewWidth;
    bool helpLeft;
    int frameStyle;
    bool entered = false;
    bool emittingEnter = false;
    bool emittingLeave = false;

    HelpView* help = nullptr;
    QWidget* pageCur = nullptr;
    QWidget* tabStrip = nullptr;
    QPushButton* scrollUpButton = nullptr;
    QPushButton* scrollDownButton = nullptr;
    QTimer tickTimer;
    QParallelAnimationGroup scrollGroup;
    int tabView = 0;
    int viewCount = 1;
    qHtmlHelper* helper;
    QUrl shownUrl;
    QString shownHtml;
};
