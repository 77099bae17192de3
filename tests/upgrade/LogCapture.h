#pragma once
// Routes the logger into a temporary file for the lifetime of the object.
#include "app/logging/Log.h"

#include <QFile>
#include <QTemporaryFile>

class LogCapture {
public:
    LogCapture()
    {
        file.open();
        kzo::log::setOutputFd(file.handle());
    }
    ~LogCapture() { kzo::log::setOutputFd(-1); }
    QByteArray text()
    {
        QFile f(file.fileName());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    // Logged lines carry "[tag      @ nnnn] "; this finds the text behind it.
    bool hasLine(const char* tag, const QByteArray& message)
    {
        const QByteArray all = text();
        for (const QByteArray& line : all.split('\n')) {
            if (line.startsWith('[' + QByteArray(tag).leftJustified(8, ' ') + " @") && line.endsWith("] " + message))
                return true;
        }
        return false;
    }

private:
    QTemporaryFile file;
};
