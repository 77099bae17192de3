#pragma once
// Base of every page: a widget that is also a device listener. Frames the page
// wants are picked on the listener thread; the redraw runs on the GUI thread,
// at most one queued per event-loop pass however many frames arrive.
#include "protocol/DevListener.h"

#include <QWidget>
#include <atomic>

class qTabPage : public QWidget, public orb::DevListener {
    Q_OBJECT
public:
    explicit qTabPage(QWidget* parent = nullptr);

    virtual QString title() const { return pageTitle; }
    virtual int pageId() const { return id; }
    virtual void loadPage() = 0;
    virtual void broadcastHook1() {}
    virtual void broadcastHook2() {}
    // GUI thread, after frames this page wants arrived.
    virtual void refresh() {}
    // Listener thread: store what the frame carries and answer whether to refresh.
    virtual bool wantsFrame(const uint8_t* record);

    void setTitle(const QString& t) { pageTitle = t; }
    void setPageId(int v) { id = v; }
    bool isRefreshPending() const { return refreshPending.load(); }

    // Any thread (the device I/O's listener call).
    void onDevEvent(const DevEvent* event) override;

signals:
    void devValueChanged();

public slots:
    virtual void PageEnter() {}
    virtual void PageLeave() {}
    void onUpdate();

private:
    QString pageTitle;
    int id = 0;
    std::atomic<bool> refreshPending{false};
};
