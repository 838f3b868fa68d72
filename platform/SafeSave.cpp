#include "SafeSave.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::atomic<qint64> GSaveSpace{-1};

// Closes the temporary file and removes it unless it was renamed.
class TTempFile {
public:
    TTempFile(const QString& target) {
        const QFileInfo info(target);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString name = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                 QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                               QLatin1Char('0'));
            FName = QFile::encodeName(name);
            FFd = ::open(FName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            FCreated = FFd >= 0;
            if (FCreated || errno != EEXIST) return;
        }
    }
    ~TTempFile() {
        if (FFd >= 0) ::close(FFd);
        if (FCreated && !FRenamed) ::unlink(FName.constData());
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    bool Opened() const { return FFd >= 0; }
    int Fd() const { return FFd; }
    // Closes and reports close's own failure (NFS and some others report
    // write errors only here).
    bool Close() {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0;
    }
    bool RenameTo(const QByteArray& target) {
        FRenamed = ::rename(FName.constData(), target.constData()) == 0;
        return FRenamed;
    }
private:
    QByteArray FName;
    int FFd = -1;
    bool FCreated = false;
    bool FRenamed = false;
};

// written counts the bytes of the whole file so far, for the test limit.
bool WriteAll(int fd, const QByteArray& bytes, qint64& written) {
    const qint64 space = GSaveSpace.load();
    qint64 done = 0;
    while (done < bytes.size()) {
        qint64 chunk = bytes.size() - done;
        if (space >= 0) {
            chunk = std::min(chunk, space - written);
            if (chunk <= 0) {
                errno = ENOSPC;
                return false;
            }
        }
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += n;
        written += n;
    }
    return true;
}

[[noreturn]] void Fail(const QString& fileName, int error) { throw EFileWriteError(fileName, FileErrorReason(error)); }
}  // namespace

EFileWriteError::EFileWriteError(const QString& fileName, const QString& reason)
    : Exception(QStringLiteral("Не удалось сохранить файл %1: %2").arg(fileName, reason)),
      FFileName(fileName),
      FReason(reason) {}

QString FileErrorReason(int error) {
    switch (error) {
    case ENOSPC: return QStringLiteral("на диске нет места");
    case EDQUOT: return QStringLiteral("превышена дисковая квота");
    case EROFS: return QStringLiteral("диск доступен только для чтения");
    case EACCES:
    case EPERM: return QStringLiteral("нет прав на запись");
    case ENOENT: return QStringLiteral("папка не существует");
    case ENOTDIR: return QStringLiteral("путь к файлу проходит через файл, а не папку");
    case EISDIR: return QStringLiteral("под этим именем уже есть папка");
    case EIO: return QStringLiteral("ошибка ввода-вывода");
    case ENAMETOOLONG: return QStringLiteral("слишком длинное имя файла");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

void SaveFileSafely(const QString& fileName, const QByteArray& bytes) {
    SaveFileSafely(fileName, [&bytes](const TSaveSink& write) { write(bytes); });
}

void SaveFileSafely(const QString& fileName, const std::function<void(const TSaveSink&)>& produce) {
    QFileInfo info(fileName);
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old {};
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) Fail(fileName, EISDIR);

    TTempFile temp(target);
    if (!temp.Opened()) Fail(fileName, errno);
    if (exists && ::fchmod(temp.Fd(), old.st_mode & 07777) != 0) Fail(fileName, errno);
    qint64 written = 0;
    produce([&](const QByteArray& piece) {
        if (!WriteAll(temp.Fd(), piece, written)) Fail(fileName, errno);
    });
    if (::fsync(temp.Fd()) != 0) Fail(fileName, errno);
    if (!temp.Close()) Fail(fileName, errno);
    if (!temp.RenameTo(targetName)) Fail(fileName, errno);
    // The new name itself reaches the disk with the folder's entry.
    const int dir = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void SetSaveSpaceForTesting(qint64 bytes) { GSaveSpace = bytes; }
