#pragma once
// A pop-up that rises out of the bottom-right corner of the primary screen's
// work area (above the task bar) for a device message, and sinks back when
// closed. Its show() and hide() slots animate; the widget itself is hidden
// once the lowering animation ends.
#include <QParallelAnimationGroup>
#include <QRect>
#include <QString>
#include <QUrl>
#include <QWidget>

class QLabel;
class QPropertyAnimation;
class QPushButton;
class QTextBrowser;

class qMessageWin : public QWidget {
    Q_OBJECT
public:
    static constexpr int animationMs = 500;

    explicit qMessageWin(QWidget* parent = nullptr);

    void setTitle(QString title);
    // Replaces the message with `info` (rich text; callers escape what they
    // did not write themselves).
    void setInfo(QString info);

    bool isRaised() const { return raised; }
    bool isIdle() const { return idle; }
    bool isAnimating() const;

    // Where the window stands when up, and the sliver it rises from.
    static QRect raisedGeometry();
    static QRect loweredGeometry();

public slots:
    // Rises from the corner; ignored while it is already rising.
    void show();
    // Sinks into the corner and then hides; ignored while it is already sinking.
    void hide();
    void onAnimationFinished();
    void onOpenUrl(QUrl url);

private:
    void buildUi();
    void animate(const QRect& from, const QRect& to);

    QLabel* label_title = nullptr;
    QPushButton* pushButton = nullptr;
    QTextBrowser* textBrowser_Info = nullptr;

    QParallelAnimationGroup group;
    QPropertyAnimation* animation = nullptr; // owned by the group
    bool raised = false;
    bool idle = true;
};
