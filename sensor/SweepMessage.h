#pragma once

#include "SweepBatch.h"

#include <QString>

// The payload of a sensor's sweeps topic, version 1 (quorvex-sensor(1), WIRE FORMAT), all
// little-endian:
//
//   0-3   "QVS1"
//   4-7   u32 start frequency, Hz          8-11  u32 frequency step, Hz
//   12-13 u16 steps per sweep (252, 501)   14-15 u16 sweeps in the message
//   16-23 u64 sequence number of the first sweep
//   then for each sweep: i64 time stamp (Unix epoch ms), `steps` signed bytes (dBm)
class SweepMessage
{
public:
    static const QByteArray k_magic;
    static constexpr int k_headerBytes = 24;
    static constexpr int k_timestampBytes = 8;
    // The most sweeps one message holds (its count is a u16).
    static constexpr int k_maxSweeps = 65535;

    // The message of a batch of 1 to k_maxSweeps sweeps.
    static QByteArray encode(const SweepBatch &batch);
    // Reads a message into *batch. Returns why the payload is not a sweeps message of a band
    // the analyzer has (then *batch is left empty), or an empty text. Every length is checked
    // against the bytes present before it is used.
    static QString decode(const QByteArray &payload, SweepBatch *batch);
};
