#pragma once
// The byte run-length code of the acquisition server's data replies.
//
// Bytes outside the escape set {22, 23, 24, 25, 29, 30, 127} stand for
// themselves; an escape byte is followed by the repeated byte b:
//   22 b -> b x3   23 b -> b x4 (x2 when b is an escape)   24 b -> b x5
//   25 b -> b x6 (x1 when b is an escape)   29 b -> b x7   30 b -> b x8
//   127 b count -> b x count, count in 7-bit groups, lowest first, every
//   group but the last with its high bit set.
#include <cstddef>
#include <cstdint>

// True for the seven escape bytes.
bool RLEIsEscape(uint8_t b);

// Expands Count encoded bytes at Source into Dest, which holds DestSize bytes,
// and returns the number of bytes written. Input that would write past Dest or
// that ends inside an escape sequence raises ERLEError; nothing is read past
// Source + Count or written past Dest + DestSize.
size_t RLEDecompress(const uint8_t* Source, uint8_t* Dest, size_t Count, size_t DestSize);

// Encodes Count bytes at Source into Dest and returns the number of bytes
// written. Dest must hold RLECompressBound(Count) bytes.
size_t RLECompress(const uint8_t* Source, uint8_t* Dest, size_t Count);
// The most RLECompress writes for Count input bytes.
constexpr size_t RLECompressBound(size_t Count) { return 2 * Count + 16; }
