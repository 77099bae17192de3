#pragma once
// Offers a newer version of the program itself: the release notes of the
// server's offer, a button to the download page, and the red line when the
// server insists on the update. It knows nothing of the main window: it asks
// to be shown, and says when it is closed while the update is required.
#include "online/OnlineTypes.h"

#include <QDialog>
#include <QString>
#include <QUrl>

class HelpView;
class QLabel;
class QPushButton;

class qSoftwareUpdater : public QDialog {
    Q_OBJECT
public:
    explicit qSoftwareUpdater(QWidget* parent = nullptr);

    // An offer with a version: its notes, the download page, the red line
    // when it must be taken; then asks to be shown.
    void showUpdate(SoftwareInfo& info);
    // The server has nothing newer: no offer, no must-update.
    void showNoUpdate();
    // The check brought no answer: whatever was known (an offer, a
    // must-update) stays; Refresh can try again.
    void showCheckFailed();
    // Any software check result, to the one of the three above that fits.
    void showCheckResult(SoftwareInfo& info);

    bool mustUpdate() const { return m_mustUpdate; }
    QString downloadUrl() const { return m_downloadUrl; }

signals:
    // Wants to be shown (the owner runs it modally unless it is visible).
    void showRequested();
    // Closed while the update is required: the program is to end.
    void mustUpdateClosed();

public slots:
    void onRefreshButtonClicked();
    void onUpdateButtonClicked();
    void onOpenUrl(QUrl url);

public:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();

    QWidget* widget = nullptr;
    QLabel* label = nullptr;
    QLabel* label_version = nullptr;
    QLabel* label_2 = nullptr;
    HelpView* webView = nullptr;
    QPushButton* pushButtonRefresh = nullptr;
    QPushButton* pushButtonClose = nullptr;
    QPushButton* pushButtonUpdate = nullptr;

    QString m_downloadUrl;
    bool m_mustUpdate = false;
    bool m_hasOffer = false;
    // The notes of the offer on hand, shown again after a failed check.
    QString m_noteUrl;
};
