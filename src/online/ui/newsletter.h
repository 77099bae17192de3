#pragma once
// The maker's announcement page. It remembers, in "app.conf", the version of
// the announcement the user asked not to see again, and pops up only for a
// higher one. It knows nothing of the main window: it asks to be shown.
#include <QDialog>
#include <QString>
#include <QUrl>

class HelpView;
class QCheckBox;
class QLabel;
class QPushButton;

class newsletter : public QDialog {
    Q_OBJECT
public:
    explicit newsletter(QWidget* parent = nullptr);

    // An announcement from the server (version 0: none). Loads it, and asks
    // to be shown when it is newer than the one dismissed.
    void showNewsLetter(const QString& url, int version);

    void loadUrl(QString url);
    void showText(QString html);
    void enableRefresh();
    // "news_version" of this series and software version; 0 when absent.
    int storedVersion() const;
    void storeVersion(int version);
    // The version of the announcement last loaded; 0 before the first.
    int version() const { return m_version; }

signals:
    // Wants to be shown (the owner runs it modally unless it is visible).
    void showRequested();

public slots:
    void onRefresh();
    void onOpenUrl(QUrl url);

public:
    void done(int result) override;

private:
    void buildUi();
    // What the box says goes into "app.conf".
    void storeChoice();

    QWidget* widget = nullptr;
    QLabel* labelTitle = nullptr;
    HelpView* webView = nullptr;
    QCheckBox* checkBox = nullptr;
    QPushButton* pushButton_refresh = nullptr;
    QPushButton* pushButton_close = nullptr;

    int m_version = 0;
};
