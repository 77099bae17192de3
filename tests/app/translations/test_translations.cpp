// The shipped Chinese translation against the real pages and dialogs: each
// one is built with the translation installed and must show Chinese texts.
// This catches texts missing from the .ts files and entries filed under a
// context other than the one the code translates in.
#include "support/FakeDevIo.h"
#include "widgets/WidgetShots.h"

#include "online/ui/newsletter.h"
#include "online/ui/qLogin.h"
#include "online/ui/qMessageWin.h"
#include "online/ui/qSoftwareUpdater.h"
#include "pages/MainPageData.h"
#include "pages/ToolsData.h"
#include "pages/ToolsHost.h"
#include "pages/qInfoPage.h"
#include "pages/qMainPage.h"
#include "pages/qToolsPage.h"
#include "pages/qTxCali.h"
#include "paramfiles/FileChooser.h"
#include "paramfiles/KzoExportProgressDialog.h"
#include "paramfiles/ParamFileActions.h"
#include "paramfiles/UpgradeBackup.h"
#include "widgets/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

namespace {

// Every text a person can read on the widget: labels, buttons, group titles,
// tab names and accessible names.
QStringList shownTexts(const QWidget* root)
{
    QStringList texts{root->windowTitle()};
    for (const QWidget* w : root->findChildren<QWidget*>()) {
        if (const auto* l = qobject_cast<const QLabel*>(w))
            texts << l->text();
        else if (const auto* b = qobject_cast<const QAbstractButton*>(w))
            texts << b->text();
        else if (const auto* g = qobject_cast<const QGroupBox*>(w))
            texts << g->title();
        else if (const auto* t = qobject_cast<const QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                texts << t->tabText(i);
        texts << w->accessibleName();
    }
    texts.removeAll(QString());
    return texts;
}

#define VERIFY_SHOWS(widget, text)                                                                          \
    do {                                                                                                     \
        const QStringList shown_ = shownTexts(widget);                                                       \
        QVERIFY2(shown_.contains(text), qPrintable(QStringLiteral("\"%1\" not among: %2")                    \
                                                       .arg(text, shown_.join(QStringLiteral(" | ")))));     \
    } while (false)

class QuietToolsHost : public ToolsHost {
public:
    bool restoreDefaults() override { return false; }
    void loadAllParameters() override {}
    void showTip(const QString&) override {}
    void focusPageOf(QWidget*) override {}
    void closeProgram() override {}
    QWidget* dialogParent() override { return nullptr; }
    void openUrl(const QUrl&) override {}
};

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

    QTranslator translator;

private slots:
    void initTestCase()
    {
        // The file the program ships and loads for Chinese.
        QVERIFY(translator.load(QStringLiteral(KZO_BIN_DIR "/language/kzo_zh_CN.qm")));
        QVERIFY(QCoreApplication::installTranslator(&translator));
    }
    void cleanupTestCase() { QCoreApplication::removeTranslator(&translator); }

    void calibrationPage()
    {
        qTxCali page;
        VERIFY_SHOWS(&page, QString::fromUtf8("旋转校准"));
        VERIFY_SHOWS(&page, QString::fromUtf8("行程记录"));
        VERIFY_SHOWS(&page, QString::fromUtf8("开始校准"));
        VERIFY_SHOWS(&page, QString::fromUtf8("向上俯仰"));
    }

    void infoPage()
    {
        qInfoPage page(nullptr, nullptr, nullptr);
        VERIFY_SHOWS(&page, QString::fromUtf8("软件信息"));
        VERIFY_SHOWS(&page, QString::fromUtf8("当前登录用户："));
        VERIFY_SHOWS(&page, QString::fromUtf8("公告"));
        VERIFY_SHOWS(&page, QString::fromUtf8("最近的升级"));
        VERIFY_SHOWS(&page, QString::fromUtf8("尚无升级记录。"));
    }

    void mainParameterPage()
    {
        qMainPage page;
        VERIFY_SHOWS(&page, QString::fromUtf8("电压保护"));
        VERIFY_SHOWS(&page, QString::fromUtf8("混控类型："));
        VERIFY_SHOWS(&page, QString::fromUtf8("失控保护方式："));
        VERIFY_SHOWS(&page, QString::fromUtf8("一级保护：")); // from a table of captions
        // Texts the page's device logic hands to the page.
        QCOMPARE(kzo::pages::mixerText(2), QString::fromUtf8("四旋翼 X"));
        QVERIFY(kzo::test::saveShot(page, QStringLiteral("zh_CN_main_page")));
    }

    void toolsPage()
    {
        QuietToolsHost host;
        qToolsPage page(&host);
        VERIFY_SHOWS(&page, QString::fromUtf8("IMU 校准"));
        VERIFY_SHOWS(&page, QString::fromUtf8("导出参数"));
        VERIFY_SHOWS(&page, QString::fromUtf8("陀螺仪(度/秒)")); // from a table of captions
        QCOMPARE(kzo::pages::verdictText(kzo::pages::ImuVerdict::Needed),
                 QString::fromUtf8("需要校准，请点击下方按钮校准 IMU。"));
    }

    void parameterExportAndImport()
    {
        kzo::paramfiles::KzoExportProgressDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("导出 EEPROM"));
        VERIFY_SHOWS(&dialog, QString::fromUtf8("取消"));

        // An import from a file that is not there: the file dialog's title
        // and the refusal come from the import action's own texts.
        QTemporaryDir dir;
        const QString missing = dir.path() + QStringLiteral("/missing.kzo");
        QString chooserTitle;
        kzo::paramfiles::ScopedFileChoosers choosers(
            {}, [&](QWidget*, const QString& title, const QString&, const QString&) {
                chooserTitle = title;
                return missing;
            });
        QList<kzo::ui::BoxRequest> boxes;
        kzo::ui::ScopedBoxHandler handler([&](QWidget*, const kzo::ui::BoxRequest& b) {
            boxes << b;
            return QMessageBox::Ok;
        });
        kzo::test::FakeDevIo io;
        QVERIFY(!kzo::paramfiles::runImport(nullptr, io));
        QCOMPARE(chooserTitle, QString::fromUtf8("导入参数"));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].title, QString::fromUtf8("信息"));
        QVERIFY2(boxes[0].text.startsWith(QString::fromUtf8("无法打开 ")), qPrintable(boxes[0].text));
    }

    void parameterBackupOffer()
    {
        QList<kzo::ui::BoxRequest> boxes;
        kzo::ui::ScopedBoxHandler handler([&](QWidget*, const kzo::ui::BoxRequest& b) {
            boxes << b;
            return QMessageBox::No;
        });
        kzo::test::FakeDevIo io;
        QVERIFY(!kzo::paramfiles::offerBackupImport(nullptr, io, QStringLiteral("/tmp/params.KG1")));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].title, QString::fromUtf8("参数备份"));
        QVERIFY2(boxes[0].text.startsWith(QString::fromUtf8("升级前保存的参数在 /tmp/params.KG1。")),
                 qPrintable(boxes[0].text));
    }

    void onlineWindows()
    {
        qLogin login(nullptr);
        VERIFY_SHOWS(&login, QString::fromUtf8("用户登录"));
        VERIFY_SHOWS(&login, QString::fromUtf8("记住我"));
        newsletter news;
        QCOMPARE(news.windowTitle(), QString::fromUtf8("公告"));
        VERIFY_SHOWS(&news, QString::fromUtf8("不再显示"));
        qSoftwareUpdater updater;
        QCOMPARE(updater.windowTitle(), QString::fromUtf8("软件更新"));
        VERIFY_SHOWS(&updater, QString::fromUtf8("当前软件版本："));
        qMessageWin message;
        VERIFY_SHOWS(&message, QString::fromUtf8("关闭"));
    }
};

int main(int argc, char** argv)
{
    // The online windows hold web views, which need this before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestTranslations test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_translations.moc"
