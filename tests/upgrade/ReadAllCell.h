#pragma once
// One read-all cell of the fault matrix, run in a child process of the test:
// the connection manager and the command queue of the program, through the
// serial device I/O, against a kzo-devsim with one fault.
#include <QString>
#include <QStringList>

namespace kzo::test::matrix {

// The simulator's options for a fault column ("n/a" alone: no such fault for
// the read-all); unplugAfterRequest > 0: pull the plug once that many reads arrived.
QStringList readAllFaultArgs(const QString& column, int& unplugAfterRequest);

// Prints the cell's outcome line; the caller has a QCoreApplication.
int runReadAllCell(const QString& column);

} // namespace kzo::test::matrix
