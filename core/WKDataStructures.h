#pragma once
// Sensor samples, arrays and streams, and the two locks that guard them.
//
// A stream is a table of records that share one index (time or depth): every
// sensor is one column, a TSensorDataArray, and all arrays of a stream hold the
// same number of samples. Each array is a sliding window over a buffer of
// capacity + spare slots (1024, or as many as the capacity beyond 1024),
// so a full window advances in constant time and is compacted once every
// spare-many records.
//
// Lock order (outermost first): Ring1 (main thread only), then the wells
// list's own lock, then Ring0 (poll thread and main thread); the hints list's
// lock and the equipment tree's enumeration lock are innermost.
#include "CriticalSection.h"
#include "WKConsts.h"
#include "WKSensDescr.h"

#include <QString>
#include <QStringList>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#pragma GCC visibility push(default)

// Guards the primary stream list (poll thread and main thread).
TCriticalSection& Ring0();
// Guards the secondary stream list; taken by the main thread only.
TCriticalSection& Ring1();

// A value as fixed-point text of at most 7 significant digits and the given
// decimals (the form every value text of the system takes).
QString FloatToStrFixed7(double value, int decimals);

// The state of one sample; a sample is usable from ssNormal on (and not NaN).
enum TSensorState : uint8_t { ssEmpty, ssError, ssNormal, ssFixed, ssCalculated, ssModified, ssWarning };

struct TSensorData {
    double Value = 0;
    TSensorState State = ssEmpty;
};

// The empty sample's value: the quiet NaN with the bit pattern FFF8000000000000.
inline double EmptySampleValue() { return std::bit_cast<double>(uint64_t{0xFFF8000000000000ull}); }

class TSensorDataArray;
class TSensorDataStream;
class TWKStreamList;

// Memory for sample buffers. The arrays of a stream advance in step, so
// buffers that all began at the same offset in a page would put every
// array's newest samples into the same cache sets, which then evict each
// other on every record; large buffers start at staggered offsets instead.
void* AllocateSampleBuffer(size_t Bytes);
void FreeSampleBuffer(void* Buffer, size_t Bytes);

template <class T>
struct TSampleBufferAllocator {
    using value_type = T;
    TSampleBufferAllocator() = default;
    template <class U>
    TSampleBufferAllocator(const TSampleBufferAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(AllocateSampleBuffer(n * sizeof(T))); }
    void deallocate(T* p, size_t n) { FreeSampleBuffer(p, n * sizeof(T)); }
    bool operator==(const TSampleBufferAllocator&) const { return true; }
};

// The class reference of a sensor array type: its name, its parent class and
// its virtual constructor (a new array of that class for a GID in a stream,
// not yet appended to the stream).
struct TSensorDataArrayClass {
    const char* ClassName;
    const TSensorDataArrayClass* Parent;
    std::unique_ptr<TSensorDataArray> (*Construct)(int GID, TSensorDataStream* Stream);
    // True for this class itself and for every class derived from Ancestor.
    bool InheritsFrom(const TSensorDataArrayClass& Ancestor) const;
};

template <class T>
std::unique_ptr<TSensorDataArray> ConstructSensorArray(int GID, TSensorDataStream* Stream) {
    return std::make_unique<T>(GID, Stream);
}

// The samples of one sensor in one stream.
class TSensorDataArray {
public:
    static const TSensorDataArrayClass Class;
    virtual const TSensorDataArrayClass& ClassType() const { return Class; }

    // Sized with the stream's capacity; when the stream already holds records,
    // the array starts with as many empty samples so that it stays aligned.
    // A stream adopts the array through its AddSensor / Append.
    TSensorDataArray(int GID, TSensorDataStream* Stream);
    virtual ~TSensorDataArray() = default;
    TSensorDataArray(const TSensorDataArray&) = delete;
    TSensorDataArray& operator=(const TSensorDataArray&) = delete;

    int GetID() const { return FID; }
    TSensorDataStream* GetStream() const { return FStream; }
    int GetCapacity() const { return FCapacity; }
    int GetCount() const { return FCount; }
    // The slot of the oldest sample and the slot SetLast writes to.
    int GetStart() const { return FStart; }
    int GetLastIndex() const { return FLastIndex; }
    // Buffer size: capacity + spare slots (1024, or a larger capacity).
    // Memory for it is taken as samples arrive, not when the capacity is set.
    int GetBufferSize() const { return FBufferSize; }
    // Slots allocated so far (at most the buffer size).
    int GetAllocatedSize() const { return FAllocated; }
    double GetLastReal() const { return FLastReal; }
    void SetLastReal(double Value) { FLastReal = Value; }

    // Drops all samples and resizes the buffers to n + spare slots. Virtual so
    // that computed channels learn that their samples are gone.
    virtual void SetCapacity(int n);

    // Appends one empty sample; the oldest one leaves a full window. Inline:
    // it runs once per sensor and record, and only the buffer's end (growing
    // or compacting) leaves this path.
    void AddEmpty() {
        // The new sample's slot, when the window has room to move into.
        const unsigned slot = static_cast<unsigned>(FStart + FCount);
        if (slot >= static_cast<unsigned>(FAppendEnd)) [[unlikely]] {
            AddEmptyAtBufferEnd();
            return;
        }
        if (FCount < FCapacity)
            ++FCount;
        else
            ++FStart;
        FLastIndex = static_cast<int>(slot);
        FStates[slot] = ssEmpty;
        FData[slot] = EmptySampleValue();
    }
    // The same as n calls of AddEmpty (the window may be compacted at another
    // record, never differently).
    void AddEmpty(int n);
    // Writes the newest n samples (those AddEmpty(n) prepared) from Values,
    // oldest first, as SetLast would one by one: state normal, or error for
    // NaN when NaNIsError. Samples beyond a smaller window are skipped.
    void SetLastValues(const double* Values, int n, bool NaNIsError);
    void SetLast(double Value) { SetLast(Value, ssNormal); }
    // Writes the sample AddEmpty prepared; a fixed value leaves LastReal alone.
    void SetLast(double Value, TSensorState State) {
        // One unsigned comparison covers both ends (a negative index wraps high).
        if (static_cast<unsigned>(FLastIndex) >= static_cast<unsigned>(FAllocated)) [[unlikely]] {
            SetLastOutOfRange();
            return;
        }
        FData[FLastIndex] = Value;
        FStates[FLastIndex] = State;
        if (State != ssFixed) FLastReal = Value;
    }

    // Logical index 0 is the oldest sample; no range check.
    virtual double GetValue(int i) { return FData[FStart + i]; }
    TSensorData GetData(int i);
    void SetData(int i, const TSensorData& Data);
    // NaN is stored as an empty sample, anything else as normal.
    void SetValue(int i, double Value);
    TSensorState GetState(int i) const { return FStates[FStart + i]; }
    void SetState(int i, TSensorState State) { FStates[FStart + i] = State; }

    // Usable: state ssNormal or later and a value that is not NaN.
    bool IsCorrectValue(int i);
    static bool IsCorrectValue(TSensorDataArray* Array, int i) { return Array && Array->IsCorrectValue(i); }
    // The newest value, or NaN when there is none or its state is not usable.
    double Last();

    // Removes logical index i; nothing when it is out of range.
    void Delete(int i);
    // Empties the window, keeping the buffers.
    void Clear();
    // Sets the count (at most the capacity); samples that become part of the
    // window are empty.
    void SetCount(int n);
    // Appends Count samples of Source from its logical index Start; when more
    // than the capacity arrive, the newest ones are kept.
    void CopyFrom(const TSensorDataArray& Source, int Start, int Count);

    // The window's values as one contiguous block of Count doubles (oldest first).
    virtual double* GetDataPointer();

    // Sample i (i < 0: the last value written) as text: A*x + B in fixed
    // notation with 7 significant digits and Precision decimals, a blank and
    // the units. Value receives the shown (converted) value. Never raises.
    virtual QString AsString(int i, double A, double B, int Precision, const QString& Units, double& Value);
    // The newest sample formatted with a sensor description's factors and units.
    template <class TDescr>
    QString AsString(const TDescr& Descr, double& Value) {
        if (FCount == 0) return {};
        return AsString(FCount - 1, Descr.A, Descr.B, Descr.Precision, Descr.Units, Value);
    }

protected:
    friend class TSensorDataStream;
    // Starts fetching the memory that CopyFrom(Source, Start, Count) reads and
    // writes, so that a stream's copy overlaps one array's misses with the
    // previous array's copying.
    void PrefetchCopyFrom(const TSensorDataArray& Source, int Start, int Count) const;
    // Where CopyFrom(Source, Start, Count) puts its samples: the source's
    // stretch it takes (logical start and count) and how many of this
    // window's oldest samples leave to make room. None when it takes nothing.
    struct TCopyPlacement {
        int Start;
        int Count;
        int Dropped;
    };
    std::optional<TCopyPlacement> PlaceCopyFrom(const TSensorDataArray& Source, int Start, int Count) const;
    int Slot(int i) const { return FStart + i; }
    // AddEmpty once the window has reached the allocated slots' end (or has no samples).
    void AddEmptyAtBufferEnd();
    // Moves the window (less its newest slot) back to slot 0.
    void CompactForNewSample();
    // Moves Keep samples from slot From down to slot 0.
    void MoveToBufferStart(int From, int Keep);
    // Resizes both buffers to Size slots (new slots empty) and keeps
    // FAllocated and FAppendEnd, which the inline paths read, in step.
    void Allocate(int Size);
    // Allocates up to Needed slots (doubling, at most the buffer size); false
    // when the buffer is fully allocated and the window must move instead.
    bool Grow(int Needed);
    void SetLastOutOfRange();

    int FCapacity = 0;
    int FBufferSize = 0;
    int FCount = 0;
    std::vector<double, TSampleBufferAllocator<double>> FData;
    std::vector<TSensorState, TSampleBufferAllocator<TSensorState>> FStates;
    // FData's (and FStates') size, in a member of its own for the inline appends.
    int FAllocated = 0;
    // The slots AddEmpty's inline path may take: the allocated ones, none
    // for a window of no samples (that never holds one).
    int FAppendEnd = 0;
    int FID = 0;
    int FLastIndex = 0;
    int FStart = 0;
    TSensorDataStream* FStream = nullptr;
    double FLastReal;
};

// The time channel (GID 0): samples shown as date and time.
class TSensorDateTimeArray : public TSensorDataArray {
public:
    static const TSensorDataArrayClass Class;
    const TSensorDataArrayClass& ClassType() const override { return Class; }
    using TSensorDataArray::TSensorDataArray;
    using TSensorDataArray::AsString;
    QString AsString(int i, double A, double B, int Precision, const QString& Units, double& Value) override;
};

// A channel of rig operation codes: samples shown as the operation's name.
class TOpCodesDataArray : public TSensorDataArray {
public:
    static const TSensorDataArrayClass Class;
    const TSensorDataArrayClass& ClassType() const override { return Class; }
    using TSensorDataArray::TSensorDataArray;
    using TSensorDataArray::AsString;
    QString AsString(int i, double A, double B, int Precision, const QString& Units, double& Value) override;
};

// The name of a rig operation; codes outside opUnknown..opRotorDrilling give opUnknown's.
QString OpCodeText(int code);

// A list of sensor arrays sharing one record index; owns its arrays.
class TSensorDataStream {
public:
    TSensorDataStream(int MainGID, const QString& ID, const QString& Name, const QString& DataClass, double Period,
                      bool IsDateTime, int Capacity);
    // A full copy: description, counters and every array with its samples.
    explicit TSensorDataStream(const TSensorDataStream& Source);
    TSensorDataStream& operator=(const TSensorDataStream&) = delete;
    ~TSensorDataStream();

    const QString& ID() const { return FID; }
    const QString& Name() const { return FName; }
    const QString& DataClass() const { return FDataClass; }
    double Period() const { return FPeriod; }
    bool IsDateTime() const { return FIsDateTime; }
    int MainGID() const { return FMainGID; }
    int TotalCount() const { return FTotalCount; }
    int NewCount() const { return FNewCount; }
    void ResetNewCount() { FNewCount = 0; }

    // The array of that GID, else a new date-time array for GID 0 or a plain one.
    TSensorDataArray* AddSensor(int GID);
    // The array of that GID when it is of ArrayClass or derived from it; a new
    // one of ArrayClass when there is none. Raises when it exists with another class.
    TSensorDataArray* AddSensor(int GID, const TSensorDataArrayClass& ArrayClass);
    template <class T>
    T* AddSensor(int GID) { return static_cast<T*>(AddSensor(GID, T::Class)); }
    // An array of Source's class and GID holding a copy of Source's samples.
    TSensorDataArray* AddSensorCopy(const TSensorDataArray& Source);
    // Always a new array of class T (several arrays may share a GID, e.g. computed ones).
    template <class T>
    T* CreateSensor(int GID) { return static_cast<T*>(Append(std::make_unique<T>(GID, this))); }
    // Takes ownership of an array made for this stream.
    TSensorDataArray* Append(std::unique_ptr<TSensorDataArray> Array);
    // Frees the array; nothing when it is not one of this stream's.
    void RemoveSensor(TSensorDataArray* Array);
    // Changes whenever an array is added or removed, and no two streams ever
    // share a value: arrays looked up once stay valid while it is unchanged.
    uint64_t LayoutStamp() const { return FLayoutStamp; }

    // One empty sample in every array; the caller fills it with SetLast.
    // Inline: it runs once per record.
    void AddRecord() {
        for (auto& a : FArrays) a->AddEmpty();
        ++FNewCount;
        ++FTotalCount;
    }
    // n empty samples in every array (n calls of AddRecord).
    void AddRecords(int n);
    // Empties every array and zeroes both counters.
    void ClearData();
    // The records held now came before the loss of their source: they are
    // shown as stale, as error samples are, and newer records are not.
    void MarkStale() { FStaleBefore = FTotalCount; }
    // True when the record at window index i is one of those held at the
    // last MarkStale.
    bool IsStale(int i) const { return FTotalCount - GetDataCount() + i < FStaleBefore; }
    // Appends the records Source has received since the last copy (see the .cpp).
    void CopyFrom(const TSensorDataStream& Source);

    // The last array of that GID, or null.
    TSensorDataArray* GetSensor(int GID) const;
    TSensorDataArray* GetSensorByIndex(int i) const { return FArrays[i].get(); }
    int Count() const { return FArrayCount; }
    // Records in the window (the first array's count; 0 without arrays).
    int GetDataCount() const { return FArrays.empty() ? 0 : FArrays.front()->GetCount(); }
    int GetCapacity() const { return FCapacity; }
    // Stores a new capacity and drops every sample.
    void SetCapacity(int n);
    TSensorDataArray* MainDataArray() const { return GetSensor(FMainGID); }
    // The text after the last point of the ID (empty without a point).
    QString GetSuffix() const;

private:
    // True when this stream holds Source's arrays as its first ones (same GIDs,
    // classes and capacity), so that records can be copied by position.
    bool MatchesLayoutOf(const TSensorDataStream& Source) const;
    // Rebuilds the arrays as a copy of Source's, keeping own arrays where GID
    // and class agree and own extra channels (aligned, empty).
    void ResyncWith(const TSensorDataStream& Source, int NewRecords);

    int FTotalCount = 0;
    // Records counted before this total are stale (MarkStale).
    int FStaleBefore = 0;
    int FCapacity = 0;
    QString FDataClass;
    QString FID;
    bool FIsDateTime = false;
    int FMainGID = 0;
    QString FName;
    double FPeriod = 0;
    int FNewCount = 0;
    std::vector<std::unique_ptr<TSensorDataArray>> FArrays;
    // FArrays' size: loops over a stream's arrays test it once per array.
    int FArrayCount = 0;
    // Bumped whenever the stream's samples are dropped; a copy remembers the
    // source's value, so that it notices a cleared source (-1: not a copy yet).
    int FDataVersion = 0;
    int FCopiedVersion = -1;
    uint64_t FLayoutStamp = NewLayoutStamp();
    static uint64_t NewLayoutStamp();
};

// True when sample i of the array is a record its stream held when the
// stream's source was lost.
inline bool IsStaleSample(const TSensorDataArray& Array, int i) {
    return Array.GetStream() && Array.GetStream()->IsStale(i);
}

// The streams of one service group; owns them.
class TWKStreamList {
public:
    TWKStreamList() = default;
    TWKStreamList(const TWKStreamList&) = delete;
    TWKStreamList& operator=(const TWKStreamList&) = delete;

    int Count() const { return static_cast<int>(FStreams.size()); }
    TSensorDataStream* GetStreamByIndex(int i) const { return FStreams[i].get(); }
    TSensorDataStream* Add(std::unique_ptr<TSensorDataStream> Stream);
    // Frees the stream; nothing when it is not in the list.
    void Remove(TSensorDataStream* Stream);
    void Clear();

    // The stream whose ID is exactly the text; when there is none, a bare
    // stream name finds the stream of that name under any well suffix.
    TSensorDataStream* GetStreamByID(const QString& ID) const;
    // The stream whose ID is exactly the text, or null: for records and copies
    // that belong to one stream only.
    TSensorDataStream* GetStreamByExactID(const QString& ID) const;
    TSensorDataStream* GetStreamByDataClass(const QString& DataClass) const;
    // The array of the GID in the first stream of the data class (and of that
    // exact ID when StreamID is not empty) that has one.
    TSensorDataArray* FindSensor(int GID, const QString& DataClass, const QString& StreamID = QString()) const;
    TSensorDataArray* FindSensorByIDClassSuffix(int GID, const QString& DataClass, const QString& Suffix) const;

    void ResetNewCounters();
    // Every stream of List copies its new records into the own stream of the
    // same ID; a stream that fails is logged and the others go on.
    void CopyFrom(const TWKStreamList& List);
    // Replaces the own copy of every stream of List by a full copy (under Ring0).
    void SyncronizeWith(const TWKStreamList& List);

    void RegisterStreamSuffix(const QString& Suffix);
    void UnregisterStreamSuffix(const QString& Suffix);
    // One suffix a line (CR LF), empty when none.
    QString GetStreamSuffixes() const;

private:
    std::vector<std::unique_ptr<TSensorDataStream>> FStreams;
    QStringList FStreamSuffixes;
};

// Replaces the text after the last point of ID by Suffix (removes point and
// suffix when Suffix is empty).
void ChangeStreamSuffix(QString& ID, const QString& Suffix);

// Well description as comma text: WELL, FIELD, PAD, OILFIELD, then SHORTID
// when ShortID >= 0 and WELLID when WellID is not empty.
QString CombineWellInfo(const QString& Well, const QString& Field, const QString& Oilfield, const QString& Pad,
                        int ShortID, const QString& WellID);
void SplitWellInfo(const QString& WellInfo, QString& Well, QString& Field, QString& Oilfield, QString& Pad);

// Reduction of one parameter of a time stream into one sample of a result
// stream over an interval of the source's main axis. The averaging type picks
// the reduction: '-' range, '/' mean, '<' minimum, '=' last, '>' maximum,
// '@' mean angle in degrees; other characters go to InternalCollectData.
class TParamStreamConversion {
public:
    TParamStreamConversion(int GID, int SaveAsGID, int SaveIndex, bool IsLogging, char AveragingType);
    virtual ~TParamStreamConversion() = default;

    int GID() const { return FGID; }
    int SaveAsGID() const { return FSaveAsGID; }
    int SaveIndex() const { return FSaveIndex; }
    bool IsLogging() const { return FIsLogging; }
    char AveragingType() const { return FAveragingType; }
    TSensorDataArray* Data() const { return FData; }
    TSensorDataArray* MainData() const { return FMainData; }
    TSensorDataArray* ResData() const { return FResData; }
    int CollectedCount() const { return FCount; }

    // Finds the source array (GID in a "SrcTime" stream) and its main array.
    virtual void BindData(const TWKStreamList& Streams);
    // Collects the usable new records whose main value lies in [Start, Stop).
    virtual void CollectData(double Start, double Stop);
    virtual void CollectData(double Start, double Stop, int Index);
    // BindData, then the result array in ResStream (of the source's class).
    virtual void CreateData(const TWKStreamList& Streams, TSensorDataStream& ResStream);
    // Writes the reduction into the result array's prepared sample, then resets.
    virtual void AddResultData(double Period);
    virtual void ResetData();

protected:
    virtual void InternalCollectData(double Start, double Stop, double Value, double MainValue, int Index);

    int FGID;
    int FSaveAsGID;
    int FSaveIndex;
    bool FIsLogging;
    char FAveragingType;
    double FSum = 0;
    double FSum1 = 0;
    int FCount = 0;
    TSensorDataArray* FData = nullptr;
    TSensorDataArray* FMainData = nullptr;
    TSensorDataArray* FResData = nullptr;
    double FPrevData;
    bool FFixed = false;
};

#pragma GCC visibility pop
