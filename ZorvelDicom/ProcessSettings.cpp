// Process-wide tuning values with their initial values; kept until process exit.
// Unset multipliers, threshold and share count as 10; a divisor of 0 counts as 60.
#include "ProcessSettings.h"

ProcessSettings& ProcessSettings::Instance() {
  static ProcessSettings settings;
  return settings;
}

CacheSettings ProcessSettings::Cache() {
  std::lock_guard lock(m_mutex);
  CacheSettings values;
  values.divisor = m_divisor == 0 ? 60 : m_divisor;
  values.decodedMultiplier = m_decodedMultiplier.Or(10);
  values.encodedMultiplier = m_encodedMultiplier.Or(10);
  values.share = m_share.Or(10);
  values.threshold = m_threshold.Or(10);
  values.cap = m_cap;
  return values;
}

void ProcessSettings::SetDecodedMultiplier(ULONGLONG value) {
  std::lock_guard lock(m_mutex);
  m_decodedMultiplier = {value, true};
}

void ProcessSettings::SetEncodedMultiplier(ULONGLONG value) {
  std::lock_guard lock(m_mutex);
  m_encodedMultiplier = {value, true};
}

void ProcessSettings::SetDivisor(ULONGLONG value) {
  std::lock_guard lock(m_mutex);
  m_divisor = value;
}

void ProcessSettings::SetThreshold(ULONGLONG value) {
  std::lock_guard lock(m_mutex);
  m_threshold = {value, true};
}

void ProcessSettings::SetShare(ULONGLONG value) {
  std::lock_guard lock(m_mutex);
  m_share = {value, true};
}

void ProcessSettings::SetCap(ULONGLONG value) {
  std::lock_guard lock(m_mutex);
  m_cap = value;
}

void ProcessSettings::SetMaxConcurrency(ULONGLONG value) {
  std::lock_guard lock(m_mutex);
  m_maxConcurrency = value;
  if (value == 1) m_readLimit = 1;
}

ULONGLONG ProcessSettings::MaxConcurrency() {
  std::lock_guard lock(m_mutex);
  return m_maxConcurrency;
}

void ProcessSettings::SetReadLimit(ULONGLONG value) {
  std::lock_guard lock(m_mutex);
  m_readLimit = value;
}

ULONGLONG ProcessSettings::ReadLimit() {
  std::lock_guard lock(m_mutex);
  return m_readLimit;
}

void ProcessSettings::SetChunkReadAhead(bool on) {
  std::lock_guard lock(m_mutex);
  m_chunkReadAhead = on;
}

void ProcessSettings::SetTileReadAhead(bool on) {
  std::lock_guard lock(m_mutex);
  m_tileReadAhead = on;
}

bool ProcessSettings::ChunkReadAhead() {
  std::lock_guard lock(m_mutex);
  return m_chunkReadAhead;
}

bool ProcessSettings::TileReadAhead() {
  std::lock_guard lock(m_mutex);
  return m_tileReadAhead;
}
