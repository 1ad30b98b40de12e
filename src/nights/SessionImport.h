#pragma once

#include "cardimport/DetectedPAPCard.h"
#include "records/Snapshot.h"

#include <functional>

namespace velunora {

// Reads a detected ResMed card into a snapshot of one machine and every night it holds:
// sessions grouped from the signal files' headers, nights filed noon to noon, summary-rate
// statistics for every night, reduced series for the nights of the seven latest sessions, and
// scored events. Throws the DATALOG scan's error and PAPCardImportError::noSessions; files
// that cannot be read are skipped. `progress`, when given, hears the share of the work done
// (0 to 1) as the files are read.
OscarSnapshot importResMedCard(const DetectedPAPCard& card, Date importedAt,
                               const std::function<void(double fraction)>& progress = {});

// Files closer than this (end of one to start of the next) belong to one session.
inline constexpr double sessionJoinToleranceSeconds = 30.0;
// How many of the latest sessions get full-rate detail.
inline constexpr std::size_t detailSessionCount = 7;

} // namespace velunora
