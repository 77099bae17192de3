#pragma once
// Widget tree of the info page: the software box (own version, update check,
// the server's latest versions), the user box (signed-in user, login and
// newsletter buttons), the recent upgrades from the flash log, the online-help link and the red tip line.
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace kzo::pages {

struct InfoPageUi {
    QGroupBox* groupBox_Software = nullptr;
    QLabel* software_version_2 = nullptr; // caption of the version
    QLabel* software_version = nullptr;
    QPushButton* pushButton_soft_update = nullptr;
    QPushButton* pushButton_server_latest = nullptr; // hidden until the server names them
    QGroupBox* groupBox_2 = nullptr;
    QLabel* label_18 = nullptr; // caption of the user
    QLabel* qCurUser = nullptr;
    QPushButton* pushButton_change_user = nullptr;
    QPushButton* pushButton_news = nullptr;
    QGroupBox* groupBox_Flash = nullptr; // "Recent upgrades"
    QLabel* label_flashlog = nullptr;    // one line per entry of the flash log, newest first
    QLabel* label_onlinehelp = nullptr; // hidden until the server names the address
    QLabel* label_tip = nullptr;

    void setupUi(QWidget* page);
};

} // namespace kzo::pages
