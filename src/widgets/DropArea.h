#pragma once
// Label that accepts dropped firmware files (and shows whatever else is dropped).
#include <QLabel>

class QMimeData;

class DropArea : public QLabel {
    Q_OBJECT
public:
    static constexpr int maxFiles = 32;

    explicit DropArea(QWidget* parent = nullptr);

    static QString placeholderText() { return QStringLiteral("<drag Hex in here>"); }
    // The text a drop of these URLs produces: one local path per line, at most 32.
    static QString pathsText(const QList<QUrl>& urls);

signals:
    void changed(const QMimeData* mimeData = nullptr);
    void dropFile(QString text);

public slots:
    void clear();

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
};
