#pragma once
// A plain page listing version facts of the application model: it stands in
// for the info page of this build. Refreshed when entered and
// on every page tick.
#include "app/framework/qTabPage.h"

#include <QList>
#include <QPair>
#include <string>

class QFormLayout;
class QLabel;

class qVersionsPage : public qTabPage {
    Q_OBJECT
public:
    // rows: caption and application-model key.
    qVersionsPage(const QString& title, const QString& helpName, const QList<QPair<QString, std::string>>& rows,
                  QWidget* parent = nullptr);

    void loadPage() override {}
    QString shownValue(const std::string& key) const;

    // The rows of the info page.
    static QList<QPair<QString, std::string>> infoRows();

public slots:
    void PageEnter() override;
    void OnPageTick();

private:
    QList<QPair<std::string, QLabel*>> values;
};
