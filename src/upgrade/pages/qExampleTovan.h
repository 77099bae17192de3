#pragma once
// Developer test page "Internal-2": two test requests whose replies carry
// two 32-bit words each, and the version request (sent on the first
// broadcast hook) whose reply is shown as four hexadecimal words.
#include "app/framework/qTabPage.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

class qExampleTovan : public qTabPage {
    Q_OBJECT
public:
    explicit qExampleTovan(QWidget* parent = nullptr);

    void loadPage() override {}
    void broadcastHook1() override;
    // Listener thread: keeps the words of the replies it knows.
    bool wantsFrame(const uint8_t* record) override;
    void refresh() override;

    QPushButton* test1Button() const { return buttonTest1; }
    QPushButton* test2Button() const { return buttonTest2; }
    QLabel* result1Label() const { return labelResult1; }
    QLabel* result2Label() const { return labelResult2; }
    QLineEdit* versionText() const { return textVersions; }

    // "XXXXXXXX XXXXXXXX XXXXXXXX XXXXXXXX", upper-case hexadecimal.
    static QString hexWords(const std::array<uint32_t, 4>& words);

public slots:
    void onTest1();
    void onTest2();

private:
    // What the listener thread stored for the next refresh.
    struct Received {
        std::optional<std::array<uint32_t, 2>> test1;
        std::optional<std::array<uint32_t, 2>> test2;
        std::optional<std::array<uint32_t, 4>> versions;
    };

    QPushButton* buttonTest1;
    QPushButton* buttonTest2;
    QLabel* labelResult1;
    QLabel* labelResult2;
    QLineEdit* textVersions;
    std::mutex receivedLock;
    Received received;
};
