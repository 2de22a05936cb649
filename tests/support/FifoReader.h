#pragma once

#include "support/SpecialFiles.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

// A pipe made for a test and read by it, standing where WeeChat's fifo pipe would be.
class FifoReader {
public:
    explicit FifoReader(const QString& path, bool reading = true)
        : m_path(path) {
        verdane::test::makeFifo(path);
        if (reading)
            m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    }
    ~FifoReader() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    QString path() const { return m_path; }
    // Everything written so far.
    QByteArray readAll() {
        QByteArray all;
        char buffer[65536];
        ssize_t n;
        while (m_fd >= 0 && (n = ::read(m_fd, buffer, sizeof buffer)) > 0)
            all.append(buffer, n);
        return all;
    }
    QStringList lines() {
        QStringList result;
        for (const QByteArray& line : readAll().split('\n'))
            result << QString::fromUtf8(line);
        if (!result.isEmpty() && result.last().isEmpty())
            result.removeLast();
        return result;
    }

private:
    QString m_path;
    int m_fd = -1;
};
