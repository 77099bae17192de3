#include "pages/qInfoPageUi.h"
#include "pages/PageControls.h"
#include "widgets/CachedGroupBox.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kzo::pages {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("qInfoPage", text); }

// The boxes keep a readable line length on the wide page.
constexpr int boxWidth = 600;
constexpr int captionWidth = 150;
constexpr int buttonWidth = pageButtonWidth;

const char* const captionStyle = captionLabelStyle;
const char* const valueStyle = valueLabelStyle;
const char* const tipStyle = tipLabelStyle;
const char* const latestStyle = "QPushButton {color: rgb(0, 0, 255);border:0px;text-align:left;padding:2px 0px;}";

QLabel* label(QWidget* parent, const char* name, const QString& text, const char* style)
{
    return styledLabel(parent, QString::fromLatin1(name), text, style);
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    return namedButton(parent, name, text, buttonWidth);
}

QGroupBox* box(QWidget* parent, const char* name, const QString& title)
{
    auto* g = new CachedGroupBox(title, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setMaximumWidth(boxWidth);
    return g;
}

QGridLayout* grid(QGroupBox* g)
{
    auto* l = new QGridLayout(g);
    l->setContentsMargins(16, 14, 16, 12);
    l->setHorizontalSpacing(12);
    l->setVerticalSpacing(10);
    l->setColumnMinimumWidth(0, captionWidth);
    l->setColumnStretch(1, 1);
    return l;
}

} // namespace

void InfoPageUi::setupUi(QWidget* page)
{
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(24, 20, 24, 14);
    outer->setSpacing(18);

    groupBox_Software = box(page, "groupBox_Software", tr("Software Info"));
    QGridLayout* software = grid(groupBox_Software);
    software_version_2 = label(groupBox_Software, "software_version_2", tr("Curren version:"), captionStyle);
    software_version = label(groupBox_Software, "software_version", QString(), valueStyle);
    software_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pushButton_soft_update = button(groupBox_Software, "pushButton_soft_update", tr("No updates"));
    pushButton_server_latest = button(groupBox_Software, "pushButton_server_latest", tr("Latest Version"));
    pushButton_server_latest->setFlat(true);
    pushButton_server_latest->setCursor(Qt::PointingHandCursor);
    pushButton_server_latest->setStyleSheet(QString::fromLatin1(latestStyle));
    pushButton_server_latest->hide();
    software->addWidget(software_version_2, 0, 0);
    software->addWidget(software_version, 0, 1);
    software->addWidget(pushButton_soft_update, 0, 2);
    software->addWidget(pushButton_server_latest, 1, 0, 1, 3, Qt::AlignLeft);
    outer->addWidget(groupBox_Software);

    groupBox_2 = box(page, "groupBox_2", tr("User Info"));
    QGridLayout* user = grid(groupBox_2);
    label_18 = label(groupBox_2, "label_18", tr("Current Login User:"), captionStyle);
    qCurUser = label(groupBox_2, "qCurUser", QStringLiteral("--"), valueStyle);
    qCurUser->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pushButton_change_user = button(groupBox_2, "pushButton_change_user", tr("Login"));
    pushButton_news = button(groupBox_2, "pushButton_news", tr("newsletter"));
    user->addWidget(label_18, 0, 0);
    user->addWidget(qCurUser, 0, 1);
    user->addWidget(pushButton_change_user, 0, 2);
    user->addWidget(pushButton_news, 1, 2);
    outer->addWidget(groupBox_2);

    groupBox_Flash = box(page, "groupBox_Flash", tr("Recent upgrades"));
    auto* flash = new QVBoxLayout(groupBox_Flash);
    flash->setContentsMargins(16, 14, 16, 12);
    label_flashlog = label(groupBox_Flash, "label_flashlog", tr("No upgrades yet."), valueStyle);
    label_flashlog->setTextFormat(Qt::PlainText);
    label_flashlog->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label_flashlog->setWordWrap(true);
    label_flashlog->setAccessibleName(tr("Recent upgrades"));
    flash->addWidget(label_flashlog);
    outer->addWidget(groupBox_Flash);

    outer->addStretch(1);

    auto* bottom = new QHBoxLayout();
    label_tip = label(page, "label_tip", QString(), tipStyle);
    label_tip->hide();
    bottom->addWidget(label_tip, 1);
    label_onlinehelp = onlineHelpLabel(page, tr("OnLine Help"));
    bottom->addWidget(label_onlinehelp, 0, Qt::AlignRight);
    outer->addLayout(bottom);
}

} // namespace kzo::pages
