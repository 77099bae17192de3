#include "upgrade/pages/qExampleTovan.h"

#include "commands/AckDecode.h"
#include "commands/CommandCatalogue.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr uint16_t test1Request = 0x02A8;
constexpr uint16_t test1Reply = 0x02A9;
constexpr uint16_t test2Request = 0x02AA;
constexpr uint16_t test2Reply = 0x02AB;

QString twoWords(const std::array<uint32_t, 2>& w)
{
    return QStringLiteral("%1, %2").arg(w[0]).arg(w[1]);
}

} // namespace

qExampleTovan::qExampleTovan(QWidget* parent) : qTabPage(parent)
{
    setObjectName(QStringLiteral("qExampleTovan"));
    setWhatsThis(QStringLiteral("internal"));
    setTitle(tr("Internal-2"));

    auto* outer = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    buttonTest1 = new QPushButton(tr("Test1"), this);
    buttonTest1->setObjectName(QStringLiteral("pushButtonTest1"));
    buttonTest1->setAccessibleName(buttonTest1->text());
    labelResult1 = new QLabel(QStringLiteral("--"), this);
    labelResult1->setObjectName(QStringLiteral("labelResult1"));
    form->addRow(buttonTest1, labelResult1);
    buttonTest2 = new QPushButton(tr("test2"), this);
    buttonTest2->setObjectName(QStringLiteral("pushButtonTest2"));
    buttonTest2->setAccessibleName(buttonTest2->text());
    labelResult2 = new QLabel(QStringLiteral("--"), this);
    labelResult2->setObjectName(QStringLiteral("labelResult2"));
    form->addRow(buttonTest2, labelResult2);
    textVersions = new QLineEdit(this);
    textVersions->setObjectName(QStringLiteral("lineEditVersions"));
    textVersions->setReadOnly(true);
    textVersions->setAccessibleName(tr("Version words"));
    form->addRow(tr("Versions:"), textVersions);
    outer->addLayout(form);
    outer->addStretch(1);

    connect(buttonTest1, &QPushButton::clicked, this, &qExampleTovan::onTest1);
    connect(buttonTest2, &QPushButton::clicked, this, &qExampleTovan::onTest2);
}

void qExampleTovan::onTest1()
{
    if (io)
        io->sendCommand(test1Request);
}

void qExampleTovan::onTest2()
{
    if (io)
        io->sendCommand(test2Request);
}

void qExampleTovan::broadcastHook1()
{
    if (io)
        io->sendCommand(orb::cmdid::ReadVersions);
}

bool qExampleTovan::wantsFrame(const uint8_t* record)
{
    // ackDecode checks identifier and length, and logs a reply of the wrong length.
    orb::ack_u32x2 two{};
    orb::ack_u32x4 four{};
    std::lock_guard lock(receivedLock);
    if (orb::ackDecode(two, record, test1Reply)) {
        received.test1 = std::array<uint32_t, 2>{two.v[0], two.v[1]};
        return true;
    }
    if (orb::ackDecode(two, record, test2Reply)) {
        received.test2 = std::array<uint32_t, 2>{two.v[0], two.v[1]};
        return true;
    }
    if (orb::ackDecode(four, record, orb::cmdid::VersionsAck)) {
        received.versions = std::array<uint32_t, 4>{four.v[0], four.v[1], four.v[2], four.v[3]};
        return true;
    }
    return false;
}

void qExampleTovan::refresh()
{
    Received now;
    {
        std::lock_guard lock(receivedLock);
        now = std::exchange(received, Received{});
    }
    if (now.test1)
        labelResult1->setText(twoWords(*now.test1));
    if (now.test2)
        labelResult2->setText(twoWords(*now.test2));
    if (now.versions)
        textVersions->setText(hexWords(*now.versions));
}

QString qExampleTovan::hexWords(const std::array<uint32_t, 4>& words)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i)
            out += QLatin1Char(' ');
        for (int shift = 28; shift >= 0; shift -= 4)
            out += QLatin1Char(digits[(words[i] >> shift) & 0xF]);
    }
    return out;
}
