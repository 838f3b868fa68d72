#pragma once
// Replacing a user's file without ever losing it. The new contents go to a
// temporary file in the same folder; every write, the flush to the disk and
// the close are checked before the temporary file takes the old one's name.
// Any failure removes the temporary file, leaves the old file as it was byte
// for byte and raises EFileWriteError naming the file and the reason.
// QSaveFile is not enough: a write that fails at its final flush (a full
// disk) still renames a cut-off file over the old one.
#include "Exceptions.h"

#include <QByteArray>
#include <functional>

#pragma GCC visibility push(default)

class EFileWriteError : public Exception {
public:
    EFileWriteError(const QString& fileName, const QString& reason);
    const QString& FileName() const { return FFileName; }
    const QString& Reason() const { return FReason; }

private:
    QString FFileName;
    QString FReason;
};

// The reason of a failed system call, in the user's words.
QString FileErrorReason(int error);

// Writes bytes as the whole new contents of fileName (a symbolic link is
// followed; a file that exists keeps its permissions).
void SaveFileSafely(const QString& fileName, const QByteArray& bytes);
// The same for contents made piece by piece: produce hands every piece to
// the sink, which raises when it cannot be written.
using TSaveSink = std::function<void(const QByteArray&)>;
void SaveFileSafely(const QString& fileName, const std::function<void(const TSaveSink&)>& produce);

// Tests that cannot mount a small file system: while set (>= 0), every save
// can write at most this many bytes before failing as a full disk would.
void SetSaveSpaceForTesting(qint64 bytes);

#pragma GCC visibility pop
