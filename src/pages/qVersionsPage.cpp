#include "pages/qVersionsPage.h"

#include "commands/qAppModel.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

qVersionsPage::qVersionsPage(const QString& title, const QString& helpName,
                             const QList<QPair<QString, std::string>>& rows, QWidget* parent)
    : qTabPage(parent)
{
    setTitle(title);
    setWhatsThis(helpName);
    setObjectName(QStringLiteral("qVersionsPage_") + helpName);
    auto* outer = new QVBoxLayout(this);
    auto* heading = new QLabel(title, this);
    heading->setStyleSheet(QStringLiteral("QLabel {font:bold 13px \"Arial\";color: rgb(11, 163, 212)}"));
    outer->addWidget(heading);
    auto* form = new QFormLayout();
    for (const auto& [caption, key] : rows) {
        auto* value = new QLabel(this);
        value->setObjectName(QString::fromStdString(key));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
        values.append({key, value});
    }
    outer->addLayout(form);
    outer->addStretch(1);
    OnPageTick();
}

void qVersionsPage::PageEnter() { OnPageTick(); }

void qVersionsPage::OnPageTick()
{
    for (const auto& [key, label] : values) {
        const QString v = appModel().value(key);
        label->setText(v.isEmpty() ? tr("N/A") : v);
    }
}

QString qVersionsPage::shownValue(const std::string& key) const
{
    for (const auto& [k, label] : values) {
        if (k == key)
            return label->text();
    }
    return {};
}

QList<QPair<QString, std::string>> qVersionsPage::infoRows()
{
    return {{tr("Product:"), "series"},
            {tr("Software version:"), "software"},
            {tr("Help documents:"), "doc_version"},
            {tr("Main controller firmware:"), "fw_mc"},
            {tr("Language:"), "language"},
            {tr("Signed in as:"), "currentloginUser"}};
}
