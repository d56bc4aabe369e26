// What a replay file holds, read straight from its bytes: record count,
// leftover bytes, the body ball's extent, path length and top speed, and
// any record that cannot have come from a run (NaN or infinity).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "input/pacing.h"

constexpr double kPaceMsPerFrame = kFramePeriodMs;      // the game's real-time pace
constexpr double kGameClockMsPerFrame = kGameClockStep;  // the game clock's step
constexpr double kImplausibleCoordinate = 1e15;  // world units

struct ReplayStats {
    uint64_t bytes = 0;
    uint64_t records = 0;        // whole 64-byte records: one per recorded frame
    uint64_t trailingBytes = 0;  // bytes after the last whole record

    uint64_t nonFiniteRecords = 0;
    int64_t firstNonFinite = -1;       // record index (from 0), -1 when none
    std::string firstNonFiniteField;   // e.g. "wheel 1 y"

    // Records with a value beyond kImplausibleCoordinate: no run gets there
    // (free fall takes about two weeks of frames), random bytes nearly always do.
    uint64_t implausibleRecords = 0;
    int64_t firstImplausible = -1;
    std::string firstImplausibleField;

    // Body ball, over the finite records only.
    bool haveBounds = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    double distance = 0;        // sum of its steps between consecutive finite records
    double topSpeed = 0;        // largest such step, world units per frame
    int64_t topSpeedRecord = -1;  // record that ends that step

    // Frames that replay mode shows for this file: every record, then two
    // more frames on the last one (the second of them ends the playback).
    uint64_t playbackFrames() const { return records + 2; }
};

// Reads the whole stream. Returns false only on a read error.
bool analyseReplay(std::istream& in, ReplayStats& stats);

// Why the file cannot be a replay ("" when it can be): a length that is not a
// whole number of records, a non-finite value, or an implausibly large one.
std::string replayProblem(const ReplayStats& stats);

// The human-readable report of `zuno-replay info`.
void printReplayStats(std::ostream& out, const std::string& path, const ReplayStats& stats);
