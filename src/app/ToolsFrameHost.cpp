#include "app/ToolsFrameHost.h"

#include "app/framework/qPageTemplate.h"
#include "app/qMainFrame.h"
#include "commands/qCmdQueue.h"
#include "online/ui/OnlineWindows.h"

ToolsFrameHost::ToolsFrameHost(qMainFrame& window) : ToolsHost(&window), frame(window)
{
    connect(&frame, &qMainFrame::signal_showTipText, this, &ToolsHost::signal_showTipText);
    connect(&frame, &qMainFrame::s_navigator_disabled, this, &ToolsHost::s_navigator_disabled);
    if (orb::qCmdQueue* q = orb::cmdQueue())
        connect(q, &orb::qCmdQueue::queuefinished, this, &ToolsHost::queueFinished);
}

bool ToolsFrameHost::restoreDefaults() { return frame.restoreDefaults(); }
void ToolsFrameHost::loadAllParameters() { frame.loadAllParameters(); }
void ToolsFrameHost::showTip(const QString& text) { frame.showTip(text); }

void ToolsFrameHost::focusPageOf(QWidget* page)
{
    // The page sits inside one of the window's page containers, wherever
    // that container is in the strip.
    for (int i = 0; i < frame.pageCount(); ++i) {
        qPageTemplate* container = frame.page(i);
        if (container && page && (container == page || container->isAncestorOf(page))) {
            frame.focusPage(i);
            return;
        }
    }
}

void ToolsFrameHost::closeProgram() { frame.closeWhenIdle(); }
QWidget* ToolsFrameHost::dialogParent() { return &frame; }
void ToolsFrameHost::openUrl(const QUrl& url) { kzo::online::openWebLink(url); }
