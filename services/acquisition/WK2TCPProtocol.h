#pragma once
// Wire format of the acquisition server connection, shared by the client and
// the simulator: request lines, length-prefixed reply frames, reply bodies,
// data records and the two compressions of data replies.
//
// Numbers are little-endian, texts UTF-16LE, times double day numbers and
// values single-precision floats. A request is a command letter, its argument
// and CR LF; a reply is a 32-bit length and a body whose first unit is the
// reply code.
#include "Exceptions.h"
#include "Formatting.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <vector>

// Malformed replies: bad lengths, short bodies, undecodable payloads.
class EWK2TCPProtocolError : public Exception {
public:
    using Exception::Exception;
};
// Run-length data that overflow the buffer or end inside an escape sequence.
class ERLEError : public EWK2TCPProtocolError {
public:
    using EWK2TCPProtocolError::EWK2TCPProtocolError;
};

using TGIDArray = std::vector<uint16_t>;

// Limits that keep a corrupt or hostile reply from allocating without bound.
constexpr int32_t kWK2TMaxReplyLength = 64 * 1024 * 1024;
constexpr size_t kWK2TMaxInflatedSize = 64 * 1024 * 1024;
// The client's run-length buffer: data replies expand into at most this much.
constexpr size_t kWK2TRLEBufferSize = 307200;
// Two record times closer than this are the same record.
constexpr TDateTime kWK2TOneMillisecond = 1.0 / 86400000.0;
// Wells and version texts are cut to this many UTF-16 units.
constexpr int kWK2TMaxTextUnits = 65535;

// Compression digits of a data body.
constexpr char16_t kWK2TNoCompression = u'0';
constexpr char16_t kWK2TRLECompression = u'1';
constexpr char16_t kWK2TZlibCompression = u'2';

// ---- Requests ----

// The request line Cmd + Args + CR LF in UTF-16LE.
QByteArray EncodeRequest(QChar Cmd, const QString& Args);
// Takes one whole request line off the front of Buffer (bytes as received).
// Returns false, leaving Buffer unchanged, while no CR LF has arrived yet.
bool TakeRequest(QByteArray& Buffer, QChar& Cmd, QString& Args);

// " dd.mm.yyyy hh:nn:ss.zzz" (with the leading blank).
QString FormatQueryTime(TDateTime Time);
// The argument of a data query: ShortID, "," , the time text (empty while
// LastTime is 0) and, when MaxRecords > 0, "," and the limit.
QString BuildDataQuery(const QString& ShortID, TDateTime LastTime, int MaxRecords);

struct TWK2TDataQuery {
    QString ShortID;
    bool HasTime = false;
    TDateTime Time = 0;
    int MaxRecords = 0;  // 0: no limit
};
// Parses a data query argument; raises EWK2TCPProtocolError when malformed.
TWK2TDataQuery ParseDataQuery(const QString& Args);

// ---- Frames ----

// 4-byte length and the body.
QByteArray EncodeFrame(const QByteArray& Body);
// The length of a reply frame from its 4 header bytes; a length below 2 (no
// reply code) or above the cap raises EWK2TCPProtocolError.
int32_t DecodeFrameLength(const uint8_t* Header);

// ---- Bodies ----

// The first UTF-16 unit of a body (0 for a body shorter than 2 bytes).
char16_t ReplyCode(const QByteArray& Body);

QByteArray MakeCodeBody(QChar Code);
QByteArray MakeTextBody(QChar Code, const QString& Text);
QByteArray MakeStructureBody(const TGIDArray& GIDs);
QByteArray MakeErrorBody(uint16_t Number, const QString& Text);
// A data body: code 'D', the compression digit and Records (the raw record
// bytes) compressed as the digit says ('1' run-length, '2' zlib, others none).
QByteArray MakeDataBody(char16_t Compression, const QByteArray& Records);

// The UTF-16 text after the code unit, cut to MaxUnits units when MaxUnits >= 0.
QString DecodeText(const QByteArray& Body, int MaxUnits = -1);
// Lines of a reply text; CR LF, CR alone and LF alone end a line.
QStringList SplitReplyLines(const QString& Text);
// The server's short stream ID of one stream list line; empty when the line
// holds no '='.
QString StreamListShortID(const QString& Line);
// The GIDs of a structure body; a last odd byte is ignored.
TGIDArray DecodeStructure(const QByteArray& Body);

struct TWK2TErrorReply {
    uint16_t Number = 0;
    QString Text;
};
// The number and text of an error body; the text ends at the first zero unit.
// A body too short for the number raises EWK2TCPProtocolError.
TWK2TErrorReply DecodeError(const QByteArray& Body);

// ---- Data ----

constexpr size_t RecordSize(size_t GIDCount) { return 8 + 4 * GIDCount; }

// Scratch memory of a decoder, kept between replies.
struct TWK2TDecodeBuffers {
    std::vector<uint8_t> RLE;       // allocated on first use, kWK2TRLEBufferSize
    std::vector<uint8_t> Inflated;  // grows as needed up to the cap
};

struct TWK2TPayload {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    char16_t Compression = kWK2TNoCompression;
};
// The decompressed records of a data body (Body longer than 2 bytes). The
// result points into Body or into Buffers. A compression unit that is not a
// digit raises EConvertError; bad run-length or zlib data raise
// EWK2TCPProtocolError.
TWK2TPayload DecodeDataPayload(const QByteArray& Body, TWK2TDecodeBuffers& Buffers);

double ReadRecordTime(const uint8_t* Record);
float ReadRecordValue(const uint8_t* Record, size_t Index);
// Appends one record to raw record bytes.
void AppendRecord(QByteArray& Records, TDateTime Time, const float* Values, size_t Count);

// ---- zlib ----

QByteArray ZlibCompress(const uint8_t* Data, size_t Size);
// Inflates one zlib stream into Out (resized to the result). Raises
// EWK2TCPProtocolError with the inflater's message, or when the output would
// pass Cap bytes.
void ZlibInflate(const uint8_t* Data, size_t Size, std::vector<uint8_t>& Out, size_t Cap = kWK2TMaxInflatedSize);
