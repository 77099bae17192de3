// The info page's "Recent upgrades": the flash log's last entries, newest
// first, read again each time the page is entered.
#include "app/framework/PageContainers.h"
#include "pages/qInfoPage.h"
#include "resources/KzoResources.h"
#include "upgrade/FlashLog.h"

#include <QGroupBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace kzo::upgrade;

namespace {

FlashRecord entry(int minute, const QString& module, const QString& before, const QString& image,
                  const QString& outcome, double seconds)
{
    FlashRecord r;
    r.when = QDateTime(QDate(2026, 12, 8), QTime(9, minute), Qt::LocalTime);
    r.module = module;
    r.port = "/dev/ttyACM0";
    r.versionBefore = before;
    r.image = image;
    r.size = 1000;
    r.md5 = md5Hex("x");
    r.outcome = outcome;
    r.seconds = seconds;
    return r;
}

} // namespace

class TestInfoFlashLog : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString logPath() const { return dir.filePath("flash.log"); }
    qInfoPage::UpgradeHistory history()
    {
        return [path = logPath()] {
            QStringList lines;
            const std::vector<FlashRecord> entries = readFlashLog(path, 3);
            for (auto it = entries.crbegin(); it != entries.crend(); ++it)
                lines << displayLine(*it);
            return lines;
        };
    }

private slots:
    void recentUpgradesFollowTheLog()
    {
        qInfoPage page(nullptr, nullptr, nullptr);
        const QLabel* list = page.widgets().label_flashlog;
        QVERIFY(list);
        QCOMPARE(list->accessibleName(), QString("Recent upgrades"));
        QCOMPARE(page.widgets().groupBox_Flash->title(), QString("Recent upgrades"));
        QCOMPARE(list->text(), QString("No upgrades yet."));

        page.setUpgradeHistory(history());
        QCOMPARE(list->text(), QString("No upgrades yet.")); // no log file yet

        QVERIFY(appendFlashRecord(logPath(), entry(1, "mc", "3.2", "mc-3.3.bin", "ok", 21.04)));
        QVERIFY(appendFlashRecord(logPath(), entry(2, "cmu", "", "cmu.bin", "failed: the module reported a transmit error", 3)));
        // Shown on entering the page, not before.
        QCOMPARE(list->text(), QString("No upgrades yet."));
        page.PageEnter();
        QCOMPARE(list->text(), QString("2026-12-08 09:02  cmu  ? \u2192 cmu.bin  failed: the module reported a transmit "
                                       "error  3.0 s\n"
                                       "2026-12-08 09:01  mc  3.2 \u2192 mc-3.3.bin  ok  21.0 s"));
        QCOMPARE(list->accessibleDescription(), list->text());

        // Only the last three, a torn line in between changes nothing.
        QFile f(logPath());
        QVERIFY(f.open(QIODevice::Append));
        f.write("2026-12-08T09:03:00\tmc\t/dev/tty");
        f.close();
        QVERIFY(appendFlashRecord(logPath(), entry(4, "mc", "3.3", "mc-3.4.bin", "refused: parameter backup failed: x", 4)));
        QVERIFY(appendFlashRecord(logPath(), entry(5, "imu", "1.5", "imu.bin", "ok", 9)));
        page.PageLeave();
        page.PageEnter();
        const QStringList lines = list->text().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("2026-12-08 09:05  imu  1.5"));
        QVERIFY(lines[1].startsWith("2026-12-08 09:04  mc  3.3 \u2192 mc-3.4.bin  refused: parameter backup failed: x"));
        QVERIFY(lines[2].startsWith("2026-12-08 09:02  cmu"));
    }

    void rendered()
    {
        QFile::remove(logPath());
        QVERIFY(appendFlashRecord(logPath(), entry(1, "mc", "3.2", "mc-3.3.bin", "ok", 21.04)));
        QVERIFY(appendFlashRecord(logPath(), entry(2, "cmu", "2.1", "cmu.bin", "failed: the module reported a transmit error", 3)));
        QVERIFY(appendFlashRecord(logPath(), entry(3, "mc", "3.3", "mc-3.4.bin", "refused: parameter backup failed: the controller did not answer for parameter block 1 of 8", 4.2)));

        kzo::initResources();
        QWidget area;
        area.setObjectName(QStringLiteral("pageCur"));
        area.setAttribute(Qt::WA_StyledBackground);
        area.setStyleSheet(QStringLiteral("#pageCur{background-color: rgb(255, 255, 255);}"));
        auto* container = new qInfoPageBase(&area);
        (new QVBoxLayout(&area))->addWidget(container);
        area.layout()->setContentsMargins(0, 0, 0, 0);
        auto* page = new qInfoPage(nullptr, nullptr, nullptr);
        page->setUpgradeHistory(history());
        container->addTabPage(page);
        container->focusPage(0);
        area.resize(850, 597);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QVERIFY(page->widgets().label_flashlog->isVisible());
        QVERIFY(page->widgets().label_flashlog->text().contains("mc-3.4.bin"));
        QVERIFY(area.grab().save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/info-page-recent-upgrades.png")));
    }
};

QTEST_MAIN(TestInfoFlashLog)
#include "test_info_flashlog.moc"
