// The product switch: the controller reports that it now runs the sibling
// product, and the sibling assistant program takes over.
#include "app/logging/Log.h"
#include "pages/ToolsHost.h"
#include "pages/qToolsPage.h"
#include "widgets/MessageBoxes.h"

#include <QProcess>
#include <QStandardPaths>

void qToolsPage::onProductSwitch(const kzo::pages::SwitchReport& report)
{
    logTagged("TOOLS", "product switch report 0x%.8X 0x%.8X", static_cast<unsigned>(report[0]),
              static_cast<unsigned>(report[1]));
    // Offered only where the user is looking at the tools with the
    // controller connected, and once per connection: a report that turns up
    // anywhere else closes nothing.
    if (!entered || !connected || switchOffered) {
        logTagged("TOOLS", "product switch report ignored");
        return;
    }
    switchOffered = true;
    const auto answer = kzo::ui::showBox(
        boxParent(), {QMessageBox::Question, tr("Info"),
                      tr("The controller has been changed to qarno. Start the qarno assistant and close this "
                         "program?"),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::No});
    if (answer != QMessageBox::Yes || !startSibling())
        return;
    kzo::ui::information(boxParent(), tr("Info"), tr("Change to qarno Success,Please repower you controller."));
    if (host)
        host->closeProgram();
}

bool qToolsPage::startSibling()
{
    const QString program = QStandardPaths::findExecutable(siblingProgramName());
    if (program.isEmpty()) {
        logTagged("TOOLS", "%s not found on the PATH", siblingProgramName().toUtf8().constData());
        kzo::ui::warning(boxParent(), tr("Warning"), tr("The qarno assistant is not installed on this computer."));
        return false;
    }
    // startDetached reports whether the program really started (it waits for
    // the exec), so this program stays open when it did not.
    if (!QProcess::startDetached(program, {QStringLiteral("SKIPSTARTUPLOGO1")})) {
        logTagged("TOOLS", "%s could not be started", program.toUtf8().constData());
        kzo::ui::warning(boxParent(), tr("Warning"), tr("The qarno assistant could not be started."));
        return false;
    }
    return true;
}
