#include "widgets/DropArea.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

DropArea::DropArea(QWidget* parent) : QLabel(parent)
{
    setMinimumSize(200, 80);
    setFrameStyle(QFrame::Sunken | QFrame::StyledPanel);
    setAlignment(Qt::AlignCenter);
    setAcceptDrops(true);
    setAutoFillBackground(true);
    clear();
}

QString DropArea::pathsText(const QList<QUrl>& urls)
{
    // Local paths as the platform writes them (no leading slash to strip before
    // a drive letter here); other addresses as their path.
    QString text;
    for (qsizetype i = 0; i < urls.size() && i < maxFiles; ++i) {
        const QUrl& u = urls.at(i);
        text += (u.isLocalFile() ? u.toLocalFile() : u.path()) + QLatin1Char('\n');
    }
    return text;
}

void DropArea::dragEnterEvent(QDragEnterEvent* e)
{
    setText(placeholderText());
    setBackgroundRole(QPalette::Highlight);
    e->acceptProposedAction();
    emit changed(e->mimeData());
}

void DropArea::dragMoveEvent(QDragMoveEvent* e)
{
    e->acceptProposedAction();
}

void DropArea::dragLeaveEvent(QDragLeaveEvent* e)
{
    clear();
    e->accept();
}

void DropArea::dropEvent(QDropEvent* e)
{
    const QMimeData* mime = e->mimeData();
    if (mime->hasImage()) {
        setPixmap(qvariant_cast<QPixmap>(mime->imageData()));
    } else if (mime->hasHtml()) {
        setTextFormat(Qt::RichText);
        setText(mime->html());
    } else if (mime->hasUrls()) {
        // Before plain text: the toolkit reports a URL list as text too, which
        // would otherwise hide the file list and its 32-path limit.
        setTextFormat(Qt::PlainText);
        setText(pathsText(mime->urls()));
    } else if (mime->hasText()) {
        setTextFormat(Qt::PlainText);
        setText(mime->text());
    } else {
        setText(tr("Cannot display data"));
    }
    setBackgroundRole(QPalette::Dark);
    e->acceptProposedAction();
    emit dropFile(text());
}

void DropArea::clear()
{
    setTextFormat(Qt::PlainText);
    setText(placeholderText());
    setBackgroundRole(QPalette::Dark);
    emit changed();
}
