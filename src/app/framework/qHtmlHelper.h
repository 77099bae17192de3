#pragma once
// Watches the mouse over widgets that carry a help name (their what's-this text)
// and announces which help page and tip belong to the innermost one.
#include <QObject>
#include <QSet>
#include <QStack>
#include <QString>

class QWidget;

class qHtmlHelper : public QObject {
    Q_OBJECT
public:
    explicit qHtmlHelper(QObject* parent = nullptr);

    // Installs the filter on every descendant of root with a help name.
    void registerHelp(QWidget* root);
    bool isKnown(const QString& name) const { return known.contains(name); }
    const QStack<QString>& stack() const { return hoverStack; }

signals:
    void helpChanged(QString szItem);
    void signal_showToolTip(QString);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void announce(const QString& name);

    QStack<QString> hoverStack;
    QSet<QString> known;
};
