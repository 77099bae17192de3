// Widgets of the firmware update dialog and its hidden debug key sequence;
// the frameless window is dragged by its background.
#include "upgrade/updater/qUpdater.h"

#include "app/framework/HelpView.h"
#include "resources/KzoResources.h"
#include "widgets/WindowDrag.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The hidden debug sequence: the second and third keys are the same letter.
constexpr int debugKeys[4] = {Qt::Key_K, Qt::Key_Z, Qt::Key_Z, Qt::Key_O};
// Shared by every dialog of the process, as the sequence is typed across them.
int keySequenceState = 0;

const char* const valueStyle = "color:rgb(144,58,58);";
// Captions and plain status texts stand on the dark background picture.
const char* const captionStyle = "color:rgb(225,225,225);";

// A label whose text never turns into markup, for values from the device or server.
QLabel* plainLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

void qUpdater::buildUi()
{
    kzo::initResources();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    background = new QWidget(this);
    background->setObjectName(QStringLiteral("widget"));
    background->setFixedSize(520, 360);
    background->setStyleSheet(QStringLiteral("QWidget#widget{background-image:url(:/Utility/res/firmware_dlg_bg.png);}"));
    background->setAttribute(Qt::WA_StyledBackground);
    new kzo::ui::WindowDrag(background);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);

    auto* title = plainLabel(QStringLiteral("label_3"), tr("Firmware Upgrade"), background);
    title->setStyleSheet(QStringLiteral("font:bold 14px \"Arial\";color:rgb(225,225,225);"));

    auto* nameLabel = plainLabel(QStringLiteral("label_2"), tr("Device name:"), background);
    labelProduct = plainLabel(QStringLiteral("label_product"), QString(), background);
    auto* curLabel = plainLabel(QStringLiteral("label"), tr("Current version:"), background);
    labelVersionCur = plainLabel(QStringLiteral("label_version_cur"), QStringLiteral("--"), background);
    labelVersionCur->setStyleSheet(QLatin1String(valueStyle));
    labelUpgradeTo = plainLabel(QStringLiteral("label_4"), tr("Upgrade to:"), background);
    labelVersionNew = plainLabel(QStringLiteral("label_version_new"), QStringLiteral("--"), background);
    labelVersionNew->setStyleSheet(QLatin1String(valueStyle));

    for (QLabel* caption : {nameLabel, labelProduct, curLabel, labelUpgradeTo})
        caption->setStyleSheet(QLatin1String(captionStyle));

    // The release notes are a web page from the server and the progress texts
    // are HTML: the help view renders both (on WebEngine where the build has
    // it) and hands every link click out instead of following it.
    webView = new HelpView(background);
    webView->setObjectName(QStringLiteral("webView"));
    webView->setMinimumHeight(150);
    connect(webView, &HelpView::linkClicked, this, &qUpdater::onOpenUrl);

    // Status texts are built here from fixed texts, so rich text is safe.
    labelStatus = new QLabel(QStringLiteral("----------"), background);
    labelStatus->setObjectName(QStringLiteral("label_Status"));
    labelStatus->setTextFormat(Qt::RichText);
    labelStatus->setStyleSheet(QLatin1String(captionStyle));
    labelResult = new QLabel(background);
    labelResult->setObjectName(QStringLiteral("label_Result"));
    labelResult->setFixedSize(32, 32);
    labelResult->setScaledContents(true);
    progressBar = new QProgressBar(background);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);

    buttonUpgrade = new QPushButton(tr("Upgrade"), background);
    buttonUpgrade->setObjectName(QStringLiteral("buttonUpgrade"));
    buttonUpgrade->setDefault(true);
    buttonExit = new QPushButton(tr("Exit"), background);
    buttonExit->setObjectName(QStringLiteral("buttonExit"));
    buttonRefresh = new QPushButton(tr("Refresh"), background);
    buttonRefresh->setObjectName(QStringLiteral("buttonRefresh"));
    buttonRefresh->setStyleSheet(QStringLiteral(
        "QPushButton#buttonRefresh{text-align : center;color:blue;border:0px;}"
        "QPushButton#buttonRefresh:pressed {color:blue;border:0px;}"
        "QPushButton#buttonRefresh:hover {color:blue;border:0px;text-decoration:underline;}"));
    buttonRefresh->setCursor(Qt::PointingHandCursor);
    for (QPushButton* b : {buttonUpgrade, buttonExit, buttonRefresh}) {
        b->setAccessibleName(b->text());
        b->setAutoDefault(false);
    }
    buttonUpgrade->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(labelProduct, 0, 1);
    grid->addWidget(curLabel, 1, 0);
    grid->addWidget(labelVersionCur, 1, 1);
    grid->addWidget(labelUpgradeTo, 2, 0);
    grid->addWidget(labelVersionNew, 2, 1);
    grid->setColumnStretch(1, 1);

    auto* status = new QHBoxLayout;
    status->addWidget(labelResult);
    status->addWidget(labelStatus);
    status->addWidget(buttonRefresh);
    status->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(buttonUpgrade);
    buttons->addWidget(buttonExit);

    auto* box = new QVBoxLayout(background);
    box->setContentsMargins(24, 14, 24, 16);
    box->addWidget(title, 0, Qt::AlignHCenter);
    box->addLayout(grid);
    box->addWidget(webView, 1);
    box->addLayout(status);
    box->addWidget(progressBar);
    box->addLayout(buttons);

    connect(buttonUpgrade, &QPushButton::clicked, this, &qUpdater::cmdUpgrade);
    connect(buttonExit, &QPushButton::clicked, this, &qUpdater::cmdExit);
    connect(buttonRefresh, &QPushButton::clicked, this, &qUpdater::cmdRefresh);

    buttonRefresh->hide();
    labelUpgradeTo->hide();
    labelResult->hide();
    progressBar->hide();
    buttonUpgrade->setEnabled(false);
}

void qUpdater::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (debugState != 0 || key == Qt::Key_Escape || (key == Qt::Key_Enter && (event->modifiers() & Qt::KeypadModifier))) {
        keySequenceState = 0;
    } else if (key == debugKeys[0]) {
        keySequenceState = 1;
    } else if (key == debugKeys[1] && (keySequenceState == 1 || keySequenceState == 2)) {
        ++keySequenceState;
    } else if (key == debugKeys[3] && keySequenceState == 3) {
        keySequenceState = 0;
        emit enterDebugMode();
        return;
    } else {
        keySequenceState = 0;
    }
    QDialog::keyPressEvent(event);
}


void qUpdater::reject()
{
    // Closing never interrupts a transfer; the outcome closes the dialog.
    if (isUpgrading())
        return;
    cmdExit();
}

void qUpdater::closeEvent(QCloseEvent* event)
{
    if (isUpgrading()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
