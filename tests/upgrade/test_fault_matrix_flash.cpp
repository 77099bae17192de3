// The fault matrix of the upgrade paths (and, where asked, the read-all):
// every path end to end through kzo-flash against kzo-devsim under each fault
// the simulator injects. Each cell ends in success with the image in the
// device or in a failure that is reported; never a hang, a crash or a success
// that is not one. After an unplug, the device plugged in again takes an image.
// Built once per group of paths (KZO_MATRIX_PATHS), so the groups run side by side.
#include "FaultMatrix.h"
#include "FlashMatrix.h"
#include "ReadAllCell.h"

#include <QCoreApplication>
#include <QTest>

using namespace kzo::test::matrix;

class TestFaultMatrix : public QObject {
    Q_OBJECT

private slots:
    void everyPathUnderEveryFault()
    {
        const QStringList names = QStringLiteral(KZO_MATRIX_PATHS).split(QLatin1Char(','));
        const std::vector<UpgradePath> paths = upgradePaths(names);
        const std::vector<DeviceFault> faults = deviceFaults();
        QObject owner;
        std::vector<Cell*> cells = flashCells(paths, faults, &owner);
        QStringList rows;
        for (const UpgradePath& p : paths)
            rows << p.row;

        if (names.contains(QStringLiteral("read-all"))) {
            rows << QStringLiteral("read-all");
            for (const DeviceFault& f : faults) {
                int unplug = 0;
                if (readAllFaultArgs(f.column, unplug) == QStringList{QStringLiteral("n/a")})
                    continue;
                auto* c = new ChildCell(QStringLiteral("read-all"), f.column, f.column, 40000);
                c->setParent(&owner);
                // The slow ones (re-plugs) go first.
                if (unplug)
                    cells.insert(cells.begin(), c);
                else
                    cells.push_back(c);
            }
        }
        QVERIFY(runCells(cells, 24, 110000));
        const QStringList bad = printMatrix(QStringLiteral("Fault matrix (%1):").arg(QStringLiteral(KZO_MATRIX_PATHS)), rows,
                                            columnsOf(faults), cells);
        for (const Cell* c : cells)
            if (c->column == QLatin1String("none") && c->outcome != Outcome::Ok)
                QFAIL(qPrintable(QStringLiteral("%1 fails without a fault: %2").arg(c->row, c->detail)));
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString cell = childCellRequested();
    if (!cell.isEmpty())
        return runReadAllCell(cell);
    TestFaultMatrix test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_fault_matrix_flash.moc"
