// Widgets that keep a finished picture of their own background: each must look
// like the stock way of drawing it after every change that alters it, and must
// not draw it again when only a child repaints.
#include "resources/KzoResources.h"
#include "widgets/CachedGroupBox.h"
#include "widgets/StretchedBackground.h"

#include <QApplication>
#include <QLabel>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Equal but for rounding: drawing through a transparent picture rounds the
// blended edges by one step at most; anything stale differs by far more.
bool sameLook(QWidget& stock, QWidget& cached)
{
    const QImage a = stock.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage b = cached.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (a.size() != b.size())
        return false;
    int worst = 0, count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            worst = std::max(worst, d);
            count += d > 0;
        }
    if (worst <= 2)
        return true;
    qWarning("differing pixels %d, worst %d", count, worst);
    a.save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/paint_cache_stock.png"));
    b.save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/paint_cache_cached.png"));
    return false;
}

struct Pair {
    QGroupBox plain;
    CachedGroupBox cached;

    template <typename F>
    void apply(F f)
    {
        f(plain);
        f(cached);
    }
    bool same() { return sameLook(plain, cached); }
};

} // namespace

class TestPaintCaches : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
private slots:
    void initTestCase()
    {
        kzo::initResources();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void looksLikeTheStockBoxAfterEveryChange()
    {
        Pair p;
        p.apply([](QGroupBox& b) {
            b.setTitle(QStringLiteral("Channels"));
            b.resize(220, 120);
        });
        QVERIFY(p.same());

        using Change = std::function<void(QGroupBox&)>;
        const std::vector<std::pair<const char*, Change>> changes = {
            {"title", [](QGroupBox& b) { b.setTitle(QStringLiteral("A much longer title here")); }},
            {"disabled", [](QGroupBox& b) { b.setEnabled(false); }},
            {"enabled", [](QGroupBox& b) { b.setEnabled(true); }},
            {"size", [](QGroupBox& b) { b.resize(300, 80); }},
            {"alignment", [](QGroupBox& b) { b.setAlignment(Qt::AlignRight); }},
            {"font", [](QGroupBox& b) {
                 QFont f = b.font();
                 f.setPointSize(f.pointSize() + 6);
                 b.setFont(f);
             }},
            {"palette", [](QGroupBox& b) {
                 QPalette pal = b.palette();
                 pal.setColor(QPalette::WindowText, Qt::red);
                 b.setPalette(pal);
             }},
            {"style sheet", [](QGroupBox& b) { b.setStyleSheet(QStringLiteral("QGroupBox{border:2px solid #0af;}")); }},
            {"checkable", [](QGroupBox& b) { b.setCheckable(true); }},
            {"unchecked", [](QGroupBox& b) { b.setChecked(false); }},
        };
        for (const auto& [name, change] : changes) {
            const QImage before = p.cached.grab().toImage();
            p.apply(change);
            const QImage after = p.cached.grab().toImage();
            QVERIFY2(before != after, name); // the change is visible at all
            QVERIFY2(p.same(), name);
        }
    }

    void childRepaintsReuseThePicture()
    {
        CachedGroupBox box(QStringLiteral("Channels"));
        auto* layout = new QVBoxLayout(&box);
        auto* value = new QLabel(QStringLiteral("0"), &box);
        layout->addWidget(value);
        box.resize(200, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTRY_VERIFY(box.styleDraws() >= 1);
        const int draws = box.styleDraws();
        for (int i = 1; i <= 20; ++i) {
            value->setText(QString::number(i * 37));
            value->repaint();
        }
        QCOMPARE(box.styleDraws(), draws);
        box.resize(260, 100);
        box.repaint();
        QCOMPARE(box.styleDraws(), draws + 1);
    }

    void stretchedPictureLooksLikeTheBorderImage_data()
    {
        QTest::addColumn<QString>("image");
        QTest::newRow("page background") << QStringLiteral(":/Utility/res/tab_content_bg_vortima.png");
        // Sharp edges show any difference in where and how pixels are sampled.
        QImage checker(7, 5, QImage::Format_RGB32);
        for (int y = 0; y < checker.height(); ++y)
            for (int x = 0; x < checker.width(); ++x)
                checker.setPixel(x, y, (x + y) % 2 ? qRgb(250, 20, 20) : qRgb(10, 10, 200));
        const QString path = dir.filePath(QStringLiteral("checker.png"));
        QVERIFY(checker.save(path));
        QTest::newRow("checker") << path;
    }

    void stretchedPictureLooksLikeTheBorderImage()
    {
        QFETCH(QString, image);
        QWidget stock;
        stock.setObjectName(QStringLiteral("content"));
        stock.setAttribute(Qt::WA_StyledBackground);
        stock.setStyleSheet(QStringLiteral("#content{border-image:url(%1);}").arg(image));
        StretchedBackground cached(image);
        for (const QSize size : {QSize(640, 480), QSize(300, 700), QSize(17, 9)}) {
            stock.resize(size);
            cached.resize(size);
            QVERIFY2(sameLook(stock, cached), qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
        }
        // An opaque picture hides what lies beneath; one with transparency must not.
        QVERIFY(cached.testAttribute(Qt::WA_OpaquePaintEvent));
        StretchedBackground translucent(QStringLiteral(":/Utility/res/button_normal.png"));
        QVERIFY(QPixmap(QStringLiteral(":/Utility/res/button_normal.png")).hasAlphaChannel());
        QVERIFY(!translucent.testAttribute(Qt::WA_OpaquePaintEvent));
    }

    void stretchedPictureIsScaledOncePerSize()
    {
        StretchedBackground back(QStringLiteral(":/Utility/res/tab_content_bg_vortima.png"));
        auto* child = new QLabel(QStringLiteral("0"), &back);
        child->move(10, 10);
        back.resize(400, 300);
        back.show();
        QVERIFY(QTest::qWaitForWindowExposed(&back));
        QTRY_COMPARE(back.scalings(), 1);
        for (int i = 1; i <= 20; ++i) {
            child->setText(QString::number(i * 37));
            child->repaint();
        }
        QCOMPARE(back.scalings(), 1);
        back.resize(500, 300);
        back.repaint();
        QCOMPARE(back.scalings(), 2);
    }
};

QTEST_MAIN(TestPaintCaches)
#include "test_paint_caches.moc"
