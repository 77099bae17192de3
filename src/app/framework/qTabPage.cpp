#include "app/framework/qTabPage.h"

qTabPage::qTabPage(QWidget* parent) : QWidget(parent), pageTitle(tr("Default"))
{
    setFocusPolicy(Qt::NoFocus);
    // Queued even on the GUI thread, so a burst of frames costs one refresh.
    connect(this, &qTabPage::devValueChanged, this, &qTabPage::onUpdate, Qt::QueuedConnection);
}

bool qTabPage::wantsFrame(const uint8_t*)
{
    return false;
}

void qTabPage::onDevEvent(const DevEvent* event)
{
    if (!event || event->kind != EvFrame || !event->data)
        return;
    if (!wantsFrame(event->data))
        return;
    bool expected = false;
    if (refreshPending.compare_exchange_strong(expected, true))
        emit devValueChanged();
}

void qTabPage::onUpdate()
{
    // Cleared before the refresh: a frame stored while refresh() runs queues
    // the next one instead of being left undrawn.
    refreshPending.store(false);
    refresh();
}
