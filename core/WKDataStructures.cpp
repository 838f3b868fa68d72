#include "WKDataStructures.h"

#include "Exceptions.h"
#include "Formatting.h"
#include "StringLists.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>

TCriticalSection& Ring0() {
    static TCriticalSection cs;
    return cs;
}

TCriticalSection& Ring1() {
    static TCriticalSection cs;
    return cs;
}

namespace {

// Spare slots behind the window: a full window moves back to slot 0 once
// every this many records instead of shifting on every record. Large windows
// get a spare as large as themselves, so that the move costs about one sample
// per record whatever the window's size: the move's reads and writes are the
// larger part of a steady append's memory traffic, so the buffer trades a
// window's worth of memory for them.
constexpr int MinSpareSlots = 1024;
int SpareSlots(int capacity) { return std::max(MinSpareSlots, capacity); }

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// Fixed notation as the old runtime's FloatToStrF(ffFixed, 7, Decimals):
// rounded once to at most 7 significant digits and Decimals places (half away
// from zero); values of more than 7 integer digits fall back to exponent form.
QString FloatToStrFixed7(double value, int decimals) {
    if (std::isnan(value) || std::isinf(value)) return FloatToStr(value);
    constexpr int Precision = 7;
    decimals = std::clamp(decimals, 0, 18);
    std::string digits;
    int point = 0;  // digits before the decimal point
    if (value != 0) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17e", std::fabs(value));
        const std::string s(buf);
        const auto e = s.find('e');
        digits = s.substr(0, 1) + s.substr(2, e - 2);
        point = std::stoi(s.substr(e + 1)) + 1;
        const int keep = std::min(Precision, point + decimals);
        if (keep < 0) {
            digits.clear();
        } else {
            const bool up = digits[keep] >= '5';
            digits.resize(keep);
            if (up) {
                int i = keep - 1;
                while (i >= 0 && digits[i] == '9') digits[i--] = '0';
                if (i >= 0) {
                    ++digits[i];
                } else {
                    digits.insert(digits.begin(), '1');  // 9.99 -> 10.0: one more integer digit
                    ++point;
                }
            }
        }
        while (!digits.empty() && digits.back() == '0' && static_cast<int>(digits.size()) > point) digits.pop_back();
        if (digits.find_first_not_of('0') == std::string::npos) digits.clear();
    }
    const QString sign = (value < 0 && !digits.empty()) ? QStringLiteral("-") : QString();
    if (point > Precision && !digits.empty()) {
        // Exponent form: d.ddddddE<exp>
        std::string mant = digits.substr(0, 1);
        std::string rest = digits.substr(1);
        while (!rest.empty() && rest.back() == '0') rest.pop_back();
        if (!rest.empty()) mant += "." + rest;
        return sign + QString::fromStdString(mant) + QStringLiteral("E") + QString::number(point - 1);
    }
    std::string intPart, fracPart;
    if (digits.empty()) {
        intPart = "0";
    } else if (point <= 0) {
        intPart = "0";
        fracPart = std::string(static_cast<size_t>(-point), '0') + digits;
    } else {
        std::string all = digits;
        if (static_cast<int>(all.size()) < point) all.resize(point, '0');
        intPart = all.substr(0, point);
        fracPart = all.substr(point);
    }
    fracPart.resize(decimals, '0');
    QString out = sign + QString::fromStdString(intPart);
    if (decimals > 0) out += '.' + QString::fromStdString(fracPart);
    return out;
}


// ---------------------------------------------------------------------------
// Sample buffers

namespace {

// Buffers from this size on start at one of the 64 line offsets of a page,
// in turn; smaller ones come from the heap as they are.
constexpr size_t StaggeredFrom = 4096;
constexpr size_t LineSize = 64;

}  // namespace

void* AllocateSampleBuffer(size_t Bytes) {
    if (Bytes < StaggeredFrom) return ::operator new(Bytes);
    static std::atomic<unsigned> next{0};
    // An odd step visits all 64 offsets, and buffers allocated one after
    // the other (a value and a state buffer, array after array) land apart.
    const size_t offset = (next.fetch_add(1, std::memory_order_relaxed) * 37u % 64u) * LineSize;
    // The heap's own block goes in front of the buffer, for FreeSampleBuffer.
    char* raw = static_cast<char*>(::operator new(Bytes + 4096 + LineSize));
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw) + sizeof(void*);
    const size_t toLine = (LineSize - start % LineSize) % LineSize;
    char* buffer = raw + sizeof(void*) + toLine + offset;
    std::memcpy(buffer - sizeof(void*), &raw, sizeof(void*));
    return buffer;
}

void FreeSampleBuffer(void* Buffer, size_t Bytes) {
    if (Bytes < StaggeredFrom) {
        ::operator delete(Buffer);
        return;
    }
    void* raw;
    std::memcpy(&raw, static_cast<char*>(Buffer) - sizeof(void*), sizeof(void*));
    ::operator delete(raw);
}

// ---------------------------------------------------------------------------
// TSensorDataArrayClass

bool TSensorDataArrayClass::InheritsFrom(const TSensorDataArrayClass& Ancestor) const {
    for (const TSensorDataArrayClass* c = this; c; c = c->Parent)
        if (c == &Ancestor) return true;
    return false;
}

const TSensorDataArrayClass TSensorDataArray::Class{"TSensorDataArray", nullptr,
                                                    &ConstructSensorArray<TSensorDataArray>};
const TSensorDataArrayClass TSensorDateTimeArray::Class{"TSensorDateTimeArray", &TSensorDataArray::Class,
                                                        &ConstructSensorArray<TSensorDateTimeArray>};
const TSensorDataArrayClass TOpCodesDataArray::Class{"TOpCodesDataArray", &TSensorDataArray::Class,
                                                     &ConstructSensorArray<TOpCodesDataArray>};

// ---------------------------------------------------------------------------
// TSensorDataArray

TSensorDataArray::TSensorDataArray(int GID, TSensorDataStream* Stream)
    : FID(GID), FStream(Stream), FLastReal(NaN) {
    SetCapacity(Stream ? Stream->GetCapacity() : 0);
    if (Stream) SetCount(Stream->GetDataCount());
}

void TSensorDataArray::SetCapacity(int n) {
    n = std::max(0, n);
    FCount = FStart = FLastIndex = 0;
    FCapacity = n;
    FBufferSize = n + SpareSlots(n);
    // A server may declare long windows of many sensors that never fill:
    // the buffers grow as samples arrive.
    // One slot from the start: SetLast before any AddEmpty writes there, as it always could.
    decltype(FData)().swap(FData);
    decltype(FStates)().swap(FStates);
    Allocate(1);
}

void TSensorDataArray::Allocate(int Size) {
    FData.resize(static_cast<size_t>(Size), EmptySampleValue());
    FStates.resize(static_cast<size_t>(Size), ssEmpty);
    FAllocated = Size;
    FAppendEnd = FCapacity > 0 ? Size : 0;
}

bool TSensorDataArray::Grow(int Needed) {
    const int allocated = FAllocated;
    if (Needed <= allocated) return true;
    if (allocated >= FBufferSize) return false;
    if (Needed > FBufferSize) {
        // The window moves back to slot 0 now: it does so in the whole buffer.
        Allocate(FBufferSize);
        return false;
    }
    constexpr int MinAllocation = 256;
    // Room for a full window takes the whole buffer at once: a full window
    // moves on with every record, into the spare slots, and would otherwise
    // be copied once more when it reaches the allocation's end.
    const int grown = std::max({Needed, 2 * allocated, MinAllocation});
    const int size = grown >= FCapacity ? FBufferSize : grown;
    Allocate(size);
    return true;
}

void TSensorDataArray::AddEmptyAtBufferEnd() {
    if (FCapacity == 0) return;
    if (FCount < FCapacity)
        ++FCount;
    else
        ++FStart;
    if (!Grow(FStart + FCount)) CompactForNewSample();
    FLastIndex = FStart + FCount - 1;
    FStates[FLastIndex] = ssEmpty;
    FData[FLastIndex] = EmptySampleValue();
}

void TSensorDataArray::AddEmpty(int n) {
    if (FCapacity == 0 || n <= 0) return;
    const int count = std::min(FCapacity, FCount + n);
    const int kept = count - std::min(n, count);  // the newest old samples that stay
    int start = FStart + FCount - kept;
    if (!Grow(start + count)) {
        MoveToBufferStart(start, kept);
        start = 0;
    }
    FStart = start;
    FCount = count;
    std::fill(FData.begin() + FStart + kept, FData.begin() + FStart + count, EmptySampleValue());
    std::fill(FStates.begin() + FStart + kept, FStates.begin() + FStart + count, ssEmpty);
    FLastIndex = FStart + FCount - 1;
}

void TSensorDataArray::SetLastValues(const double* Values, int n, bool NaNIsError) {
    if (n <= 0) return;
    FLastReal = Values[n - 1];
    const int m = std::min(n, FCount);
    if (m <= 0) return;
    const int first = FStart + FCount - m;
    Values += n - m;
    std::memcpy(FData.data() + first, Values, sizeof(double) * m);
    TSensorState* states = FStates.data() + first;
    if (NaNIsError)
        for (int j = 0; j < m; ++j) states[j] = std::isnan(Values[j]) ? ssError : ssNormal;
    else
        std::fill(states, states + m, ssNormal);
}

void TSensorDataArray::CompactForNewSample() {
    // Only the older FCount - 1 samples are worth moving; the new one is written after.
    MoveToBufferStart(FStart, FCount - 1);
    FStart = 0;
}

void TSensorDataArray::MoveToBufferStart(int From, int Keep) {
    if (Keep <= 0) return;
    std::memmove(FData.data(), FData.data() + From, sizeof(double) * size_t(Keep));
    std::memmove(FStates.data(), FStates.data() + From, sizeof(TSensorState) * size_t(Keep));
}

void TSensorDataArray::SetLastOutOfRange() { DebugLog(QStringLiteral("TSensorDataArray.SetLast - Data range error")); }

TSensorData TSensorDataArray::GetData(int i) {
    const double v = GetValue(i);
    return {v, GetState(i)};
}

void TSensorDataArray::SetData(int i, const TSensorData& Data) {
    FData[Slot(i)] = Data.Value;
    FStates[Slot(i)] = Data.State;
    if (Data.State != ssFixed) FLastReal = Data.Value;
}

void TSensorDataArray::SetValue(int i, double Value) {
    FData[Slot(i)] = Value;
    FStates[Slot(i)] = std::isnan(Value) ? ssEmpty : ssNormal;
    FLastReal = Value;
}

bool TSensorDataArray::IsCorrectValue(int i) {
    if (i < 0 || i >= FCount) return false;
    const double v = GetValue(i);  // computed channels fill the sample (and its state) here
    return GetState(i) >= ssNormal && !std::isnan(v);
}

double TSensorDataArray::Last() {
    if (FCount == 0) return NaN;
    const double v = GetValue(FCount - 1);
    return GetState(FCount - 1) < ssNormal ? NaN : v;
}

void TSensorDataArray::Delete(int i) {
    if (i < 0 || i >= FCount) return;
    const int slot = Slot(i);
    if (i == 0) {
        ++FStart;
    } else {
        const int later = FCount - 1 - i;
        std::memmove(FData.data() + slot, FData.data() + slot + 1, sizeof(double) * later);
        std::memmove(FStates.data() + slot, FStates.data() + slot + 1, sizeof(TSensorState) * later);
        // Keep SetLast on the sample it prepared (now one slot lower), not past the window.
        if (FLastIndex >= slot && FLastIndex > 0) --FLastIndex;
    }
    --FCount;
}

void TSensorDataArray::Clear() { FStart = FCount = FLastIndex = 0; }

void TSensorDataArray::SetCount(int n) {
    n = std::clamp(n, 0, FCapacity);
    if (!Grow(FStart + n)) {
        MoveToBufferStart(FStart, std::min(FCount, n));
        FStart = 0;
    }
    // Samples that join the window are empty, not left-overs of the buffer.
    for (int k = FCount; k < n; ++k) {
        FData[Slot(k)] = EmptySampleValue();
        FStates[Slot(k)] = ssEmpty;
    }
    FCount = n;
    if (n > 0) FLastIndex = Slot(n - 1);
}

std::optional<TSensorDataArray::TCopyPlacement> TSensorDataArray::PlaceCopyFrom(const TSensorDataArray& Source,
                                                                               int Start, int Count) const {
    // Stay inside the source's window.
    Start = std::max(0, Start);
    Count = std::min(Count, Source.FCount - Start);
    if (Count <= 0 || FCapacity == 0) return std::nullopt;
    if (Count > FCapacity) {  // only the newest capacity samples can stay
        Start += Count - FCapacity;
        Count = FCapacity;
    }
    return TCopyPlacement{Start, Count, std::max(0, FCount + Count - FCapacity)};
}

void TSensorDataArray::CopyFrom(const TSensorDataArray& Source, int Start, int Count) {
    const std::optional<TCopyPlacement> p = PlaceCopyFrom(Source, Start, Count);
    if (!p) return;
    FStart += p->Dropped;
    FCount -= p->Dropped;
    const int n = FCount + p->Count;
    if (!Grow(FStart + n)) {
        MoveToBufferStart(FStart, FCount);
        FStart = 0;
    }
    const int from = Source.Slot(p->Start);
    std::memcpy(FData.data() + Slot(FCount), Source.FData.data() + from, sizeof(double) * p->Count);
    std::memcpy(FStates.data() + Slot(FCount), Source.FStates.data() + from, sizeof(TSensorState) * p->Count);
    FCount = n;
    FLastReal = Source.FLastReal;
    // SetLast after a copy writes the newest sample, never a slot outside the window.
    FLastIndex = Slot(FCount - 1);
}

void TSensorDataArray::PrefetchCopyFrom(const TSensorDataArray& Source, int Start, int Count) const {
    const std::optional<TCopyPlacement> p = PlaceCopyFrom(Source, Start, Count);
    if (!p) return;
    const int first = FStart + p->Dropped, kept = FCount - p->Dropped;
    // One line in every page: the page walks are the slow part of a cold
    // copy, and the hardware streams the lines of a page by itself.
    constexpr int PageSlots = 4096 / sizeof(double);
    auto pages = [](const double* at, int n, bool write) {
        for (int i = 0; i < n; i += PageSlots) {
            if (write)
                __builtin_prefetch(at + i, 1);
            else
                __builtin_prefetch(at + i, 0);
        }
    };
    pages(Source.FData.data() + Source.Slot(p->Start), p->Count, false);
    __builtin_prefetch(Source.FStates.data() + Source.Slot(p->Start), 0);
    int to = first + kept;
    if (to + p->Count > FAllocated) {
        if (FAllocated < FBufferSize) return;  // the buffer grows first: its memory is not there yet
        pages(FData.data() + first, kept, false);  // the window moves back to slot 0
        to = 0;
    }
    pages(FData.data() + to, std::min(p->Count + (to == 0 ? kept : 0), FAllocated - to), true);
    __builtin_prefetch(FStates.data() + to, 1);
}

double* TSensorDataArray::GetDataPointer() { return FData.empty() ? nullptr : FData.data() + FStart; }

QString TSensorDataArray::AsString(int i, double A, double B, int Precision, const QString& Units, double& Value) {
    try {
        if (i >= FCount) {
            Value = NaN;
            return {};
        }
        Value = i < 0 ? FLastReal : GetValue(i);
        if (std::isnan(Value)) return {};
        if (A == 0) A = 1;
        if (A != 1 || B != 0) Value = A * Value + B;
        return FloatToStrFixed7(Value, Precision) + QLatin1Char(' ') + Units;
    } catch (...) {
        return {};
    }
}

QString TSensorDateTimeArray::AsString(int i, double, double, int, const QString&, double& Value) {
    try {
        if (i >= FCount) {
            Value = NaN;
            return {};
        }
        Value = i < 0 ? FLastReal : GetValue(i);
        if (std::isnan(Value)) return {};
        return DateTimeToStr(Value);
    } catch (...) {
        return {};
    }
}

QString OpCodeText(int code) {
    switch (code) {
        case opRunningIn: return QStringLiteral("Спуск");
        case opPullingOut: return QStringLiteral("Подъем");
        case opDrilling: return QStringLiteral("Бурение");
        case opConnection: return QStringLiteral("Наращивание");
        case opCirculation: return QStringLiteral("Промывка");
        case opReaming: return QStringLiteral("Проработка");
        case opRotorDrilling: return QStringLiteral("Бурение ротором");
        default: return QStringLiteral("Операция неизвестна");
    }
}

QString TOpCodesDataArray::AsString(int i, double, double, int, const QString&, double& Value) {
    if (i >= FCount) {
        Value = NaN;
        return OpCodeText(opUnknown);
    }
    Value = i < 0 ? FLastReal : GetValue(i);
    // NaN and codes out of range (also before truncation) show as unknown.
    if (std::isnan(Value) || Value <= -1 || Value >= opRotorDrilling + 1) return OpCodeText(opUnknown);
    return OpCodeText(static_cast<int>(std::trunc(Value)));
}

// ---------------------------------------------------------------------------
// TSensorDataStream

TSensorDataStream::TSensorDataStream(int MainGID, const QString& ID, const QString& Name, const QString& DataClass,
                                     double Period, bool IsDateTime, int Capacity)
    : FCapacity(std::max(0, Capacity)),
      FDataClass(DataClass),
      FID(ID),
      FIsDateTime(IsDateTime),
      FMainGID(MainGID),
      FName(Name),
      FPeriod(Period) {
    DebugLog(QStringLiteral("WK: Create stream: ") + ID + QLatin1Char(' ') + Name);
}

TSensorDataStream::TSensorDataStream(const TSensorDataStream& Source)
    : FTotalCount(Source.FTotalCount),
      FStaleBefore(Source.FStaleBefore),
      FCapacity(Source.FCapacity),
      FDataClass(Source.FDataClass),
      FID(Source.FID),
      FIsDateTime(Source.FIsDateTime),
      FMainGID(Source.FMainGID),
      FName(Source.FName),
      FPeriod(Source.FPeriod),
      FCopiedVersion(Source.FDataVersion) {
    for (const auto& a : Source.FArrays) AddSensorCopy(*a);
}

TSensorDataStream::~TSensorDataStream() = default;

TSensorDataArray* TSensorDataStream::AddSensor(int GID) {
    if (TSensorDataArray* a = GetSensor(GID)) return a;
    if (GID == 0) return CreateSensor<TSensorDateTimeArray>(GID);
    return CreateSensor<TSensorDataArray>(GID);
}

TSensorDataArray* TSensorDataStream::AddSensor(int GID, const TSensorDataArrayClass& ArrayClass) {
    if (TSensorDataArray* a = GetSensor(GID)) {
        if (a->ClassType().InheritsFrom(ArrayClass)) return a;
        throw Exception(QStringLiteral("AddSensor: sensor class exists"));
    }
    return Append(ArrayClass.Construct(GID, this));
}

TSensorDataArray* TSensorDataStream::AddSensorCopy(const TSensorDataArray& Source) {
    TSensorDataArray* a = AddSensor(Source.GetID(), Source.ClassType());
    a->SetCount(0);
    a->CopyFrom(Source, 0, Source.GetCount());
    return a;
}

uint64_t TSensorDataStream::NewLayoutStamp() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

TSensorDataArray* TSensorDataStream::Append(std::unique_ptr<TSensorDataArray> Array) {
    FArrays.push_back(std::move(Array));
    FArrayCount = static_cast<int>(FArrays.size());
    FLayoutStamp = NewLayoutStamp();
    return FArrays.back().get();
}

void TSensorDataStream::RemoveSensor(TSensorDataArray* Array) {
    auto it = std::find_if(FArrays.begin(), FArrays.end(), [&](const auto& a) { return a.get() == Array; });
    if (it == FArrays.end()) return;
    FArrays.erase(it);
    FArrayCount = static_cast<int>(FArrays.size());
    FLayoutStamp = NewLayoutStamp();
}

void TSensorDataStream::AddRecords(int n) {
    if (n <= 0) return;
    for (auto& a : FArrays) a->AddEmpty(n);
    FNewCount += n;
    FTotalCount += n;
}

void TSensorDataStream::ClearData() {
    for (auto& a : FArrays) a->Clear();
    FNewCount = FTotalCount = FStaleBefore = 0;
    ++FDataVersion;
}

void TSensorDataStream::SetCapacity(int n) {
    n = std::max(0, n);
    if (n == FCapacity) return;
    FCapacity = n;
    for (auto& a : FArrays) a->SetCapacity(n);
    ++FDataVersion;
}

TSensorDataArray* TSensorDataStream::GetSensor(int GID) const {
    for (auto it = FArrays.rbegin(); it != FArrays.rend(); ++it)
        if ((*it)->GetID() == GID) return it->get();
    return nullptr;
}

QString TSensorDataStream::GetSuffix() const {
    const int p = FID.lastIndexOf(QLatin1Char('.'));
    return p < 0 ? QString() : FID.mid(p + 1);
}

bool TSensorDataStream::MatchesLayoutOf(const TSensorDataStream& Source) const {
    if (Count() < Source.Count() || FCapacity != Source.FCapacity) return false;
    for (int k = 0; k < Source.Count(); ++k) {
        const TSensorDataArray& own = *FArrays[k];
        const TSensorDataArray& src = *Source.FArrays[k];
        if (own.GetID() != src.GetID() || &own.ClassType() != &src.ClassType()) return false;
    }
    return true;
}

// Copying new records (the secondary tick's step). The totals say how many
// records the source received since the last copy; only those that are still
// in the source's window can be copied. Arrays are matched by position: the
// own stream holds the source's arrays first, own extra channels (computed
// ones) after them, and those get empty samples to stay aligned.
void TSensorDataStream::CopyFrom(const TSensorDataStream& Source) {
    // A source that was cleared since the last copy starts over: everything it
    // holds now is new, even when its total has caught up with ours again.
    const bool restarted = Source.FTotalCount < FTotalCount ||
                           (FCopiedVersion >= 0 && FCopiedVersion != Source.FDataVersion);
    int a = restarted ? Source.FTotalCount : Source.FTotalCount - FTotalCount;
    a = std::min(a, Source.GetDataCount());
    if (!MatchesLayoutOf(Source)) {
        DebugLog(QStringLiteral("TSensorDataStream.CopyFrom: ") + FID +
                 QStringLiteral(": arrays differ from the source, stream copied whole"));
        ResyncWith(Source, std::max(0, a));
        return;
    }
    if (a < 1) {
        if (restarted) {
            FTotalCount = Source.FTotalCount;
            FCopiedVersion = Source.FDataVersion;
        }
        return;
    }
    const int start = Source.GetDataCount() - a;
    const int sourceArrays = Source.Count();
    for (int k = 0; k < sourceArrays; ++k) {
        if (k + 1 < sourceArrays) FArrays[k + 1]->PrefetchCopyFrom(*Source.FArrays[k + 1], start, a);
        FArrays[k]->CopyFrom(*Source.FArrays[k], start, a);
    }
    for (int k = sourceArrays; k < Count(); ++k)
        for (int r = 0; r < a; ++r) FArrays[k]->AddEmpty();
    FTotalCount = Source.FTotalCount;
    FNewCount = a;
    FCopiedVersion = Source.FDataVersion;
}

void TSensorDataStream::ResyncWith(const TSensorDataStream& Source, int NewRecords) {
    std::vector<std::unique_ptr<TSensorDataArray>> old = std::move(FArrays);
    FArrays.clear();
    FArrayCount = 0;
    FLayoutStamp = NewLayoutStamp();
    FCapacity = Source.FCapacity;
    for (const auto& src : Source.FArrays) {
        // Keep the own array object where it still fits, so that references to it stay valid.
        auto kept = std::find_if(old.begin(), old.end(), [&](const auto& o) {
            return o && o->GetID() == src->GetID() && &o->ClassType() == &src->ClassType();
        });
        std::unique_ptr<TSensorDataArray> a =
            kept != old.end() ? std::move(*kept) : src->ClassType().Construct(src->GetID(), this);
        a->SetCapacity(FCapacity);
        a->CopyFrom(*src, 0, src->GetCount());
        FArrays.push_back(std::move(a));
    }
    // Own channels the source does not have (computed ones) stay, emptied and aligned.
    for (auto& o : old) {
        if (!o || Source.GetSensor(o->GetID())) continue;
        o->SetCapacity(FCapacity);
        o->SetCount(Source.GetDataCount());
        FArrays.push_back(std::move(o));
    }
    FArrayCount = static_cast<int>(FArrays.size());
    FTotalCount = Source.FTotalCount;
    FNewCount = NewRecords;
    FCopiedVersion = Source.FDataVersion;
}

// ---------------------------------------------------------------------------
// TWKStreamList

TSensorDataStream* TWKStreamList::Add(std::unique_ptr<TSensorDataStream> Stream) {
    FStreams.push_back(std::move(Stream));
    return FStreams.back().get();
}

void TWKStreamList::Remove(TSensorDataStream* Stream) {
    auto it = std::find_if(FStreams.begin(), FStreams.end(), [&](const auto& s) { return s.get() == Stream; });
    if (it != FStreams.end()) FStreams.erase(it);
}

void TWKStreamList::Clear() { FStreams.clear(); }

TSensorDataStream* TWKStreamList::GetStreamByExactID(const QString& ID) const {
    for (const auto& s : FStreams)
        if (s->ID() == ID) return s.get();
    return nullptr;
}

TSensorDataStream* TWKStreamList::GetStreamByID(const QString& ID) const {
    if (TSensorDataStream* exact = GetStreamByExactID(ID)) return exact;
    if (ID.contains(QLatin1Char('.'))) return nullptr;
    // A bare name stands for that stream under any well suffix, and for no
    // other stream whose name merely begins with it.
    for (const auto& s : FStreams) {
        const QString& sid = s->ID();
        if (sid.size() > ID.size() && sid.startsWith(ID) && sid[ID.size()] == QLatin1Char('.')) return s.get();
    }
    return nullptr;
}

TSensorDataStream* TWKStreamList::GetStreamByDataClass(const QString& DataClass) const {
    for (const auto& s : FStreams)
        if (s->DataClass() == DataClass) return s.get();
    return nullptr;
}

TSensorDataArray* TWKStreamList::FindSensor(int GID, const QString& DataClass, const QString& StreamID) const {
    for (const auto& s : FStreams) {
        if (s->DataClass() != DataClass) continue;
        if (!StreamID.isEmpty() && s->ID() != StreamID) continue;
        if (TSensorDataArray* a = s->GetSensor(GID)) return a;
    }
    return nullptr;
}

TSensorDataArray* TWKStreamList::FindSensorByIDClassSuffix(int GID, const QString& DataClass,
                                                          const QString& Suffix) const {
    for (const auto& s : FStreams) {
        if (s->DataClass() != DataClass || s->GetSuffix() != Suffix) continue;
        if (TSensorDataArray* a = s->GetSensor(GID)) return a;
    }
    return nullptr;
}

void TWKStreamList::ResetNewCounters() {
    for (auto& s : FStreams) s->ResetNewCount();
}

void TWKStreamList::CopyFrom(const TWKStreamList& List) {
    for (const auto& src : List.FStreams) {
        TSensorDataStream* own = GetStreamByExactID(src->ID());
        if (!own) continue;
        try {
            own->CopyFrom(*src);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TWKStreamList.CopyFrom: ") + src->ID() + QStringLiteral(": ") +
                     ExceptionMessage(e));
        }
    }
}

void TWKStreamList::SyncronizeWith(const TWKStreamList& List) {
    TCriticalSectionGuard guard(Ring0());
    for (const auto& src : List.FStreams) {
        if (TSensorDataStream* own = GetStreamByExactID(src->ID())) Remove(own);
        Add(std::make_unique<TSensorDataStream>(*src));
    }
}

void TWKStreamList::RegisterStreamSuffix(const QString& Suffix) { FStreamSuffixes.append(Suffix); }

void TWKStreamList::UnregisterStreamSuffix(const QString& Suffix) { FStreamSuffixes.removeOne(Suffix); }

QString TWKStreamList::GetStreamSuffixes() const { return TStringList(FStreamSuffixes).Text(); }

// ---------------------------------------------------------------------------
// Free functions

void ChangeStreamSuffix(QString& ID, const QString& Suffix) {
    const int p = ID.lastIndexOf(QLatin1Char('.'));
    if (p >= 0) ID.truncate(p);
    if (!Suffix.isEmpty()) ID += QLatin1Char('.') + Suffix;
}

QString CombineWellInfo(const QString& Well, const QString& Field, const QString& Oilfield, const QString& Pad,
                        int ShortID, const QString& WellID) {
    TStringList list;
    list.Add(QStringLiteral("WELL=") + Well);
    list.Add(QStringLiteral("FIELD=") + Field);
    list.Add(QStringLiteral("PAD=") + Pad);
    list.Add(QStringLiteral("OILFIELD=") + Oilfield);
    if (ShortID >= 0) list.Add(QStringLiteral("SHORTID=") + QString::number(ShortID));
    if (!WellID.isEmpty()) list.Add(QStringLiteral("WELLID=") + WellID);
    return list.CommaText();
}

void SplitWellInfo(const QString& WellInfo, QString& Well, QString& Field, QString& Oilfield, QString& Pad) {
    TStringList list;
    list.SetCommaText(WellInfo);
    Well = list.Values(QStringLiteral("WELL"));
    Field = list.Values(QStringLiteral("FIELD"));
    Oilfield = list.Values(QStringLiteral("OILFIELD"));
    Pad = list.Values(QStringLiteral("PAD"));
}

// ---------------------------------------------------------------------------
// TParamStreamConversion

TParamStreamConversion::TParamStreamConversion(int GID, int SaveAsGID, int SaveIndex, bool IsLogging,
                                               char AveragingType)
    : FGID(GID),
      FSaveAsGID(SaveAsGID),
      FSaveIndex(SaveIndex),
      FIsLogging(IsLogging),
      FAveragingType(AveragingType),
      FPrevData(NaN) {}

void TParamStreamConversion::InternalCollectData(double, double, double, double, int) {}

void TParamStreamConversion::BindData(const TWKStreamList& Streams) {
    FData = Streams.FindSensor(FGID, QStringLiteral("SrcTime"));
    FMainData = (FData && FData->GetStream()) ? FData->GetStream()->MainDataArray() : nullptr;
}

void TParamStreamConversion::CreateData(const TWKStreamList& Streams, TSensorDataStream& ResStream) {
    BindData(Streams);
    FResData = FData ? ResStream.AddSensor(FSaveAsGID, FData->ClassType()) : ResStream.AddSensor(FSaveAsGID);
}

void TParamStreamConversion::CollectData(double Start, double Stop) {
    if (!FData || !FMainData) return;
    const TSensorDataStream* stream = FData->GetStream();
    const int count = FData->GetCount();
    const int first = std::max(0, count - (stream ? stream->NewCount() : count));
    for (int i = first; i < count; ++i) {
        if (!FMainData->IsCorrectValue(i)) continue;
        const double main = FMainData->GetValue(i);
        if (main < Start || main >= Stop) continue;
        if (!FData->IsCorrectValue(i)) continue;
        CollectData(Start, Stop, i);
    }
}

void TParamStreamConversion::CollectData(double Start, double Stop, int Index) {
    const double value = FData->GetValue(Index);
    if (std::isnan(value)) return;
    if (FData->GetState(Index) == ssFixed) {
        FSum = value;
        FCount = 0;
        FFixed = true;
    } else if (FFixed) {
        return;
    } else {
        // Only the extremes start from the first sample; sums start from 0 and
        // the last value needs no start.
        const bool first = FCount == 0;
        switch (FAveragingType) {
            case '-':
                FSum = first ? value : std::min(FSum, value);
                FSum1 = first ? value : std::max(FSum1, value);
                break;
            case '/': FSum += value; break;
            case '<': FSum = first ? value : std::min(FSum, value); break;
            case '=': FSum = value; break;
            case '>': FSum = first ? value : std::max(FSum, value); break;
            case '@': {
                const double rad = value * std::numbers::pi / 180.0;
                FSum += std::sin(rad);
                FSum1 += std::cos(rad);
                break;
            }
            default:
                InternalCollectData(Start, Stop, value, FMainData ? FMainData->GetValue(Index) : NaN, Index);
                break;
        }
    }
    ++FCount;
}

void TParamStreamConversion::AddResultData(double) {
    if (!FResData) {
        ResetData();
        return;
    }
    if (FFixed) {
        FResData->SetLast(FSum, ssFixed);
        if (FData) FResData->SetLastReal(FData->GetLastReal());
    } else if (FCount == 0) {
        FResData->SetLast(FPrevData, ssError);
    } else {
        double result;
        switch (FAveragingType) {
            case '-': result = FSum1 - FSum; break;
            case '/': result = FSum / FCount; break;
            case '@': {
                // The direction of the mean (sine, cosine) vector. Taking the
                // arc cosine of the mean cosine alone is right only when all
                // samples agree, so the vector's own angle is used; opposite
                // samples that cancel out have no direction at all.
                const double s = FSum / FCount, c = FSum1 / FCount;
                if (std::hypot(s, c) < 1e-12) {
                    result = NaN;
                } else {
                    double d = std::atan2(s, c);
                    if (d < 0) d += 2 * std::numbers::pi;
                    result = d * 180.0 / std::numbers::pi;
                }
                break;
            }
            default: result = FSum; break;
        }
        // An invalid result (no direction, overflowed sums) is an error sample
        // holding the previous value.
        if (std::isfinite(result)) {
            FResData->SetLast(result);
            FPrevData = result;
        } else {
            FResData->SetLast(FPrevData, ssError);
        }
    }
    ResetData();
}

void TParamStreamConversion::ResetData() {
    FCount = 0;
    FSum = FSum1 = 0;
    FFixed = false;
}
