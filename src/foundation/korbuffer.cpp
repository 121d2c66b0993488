#include "foundation/korbuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

int32_t KorStringWriter_c::Write(const void* src, int32_t n) {
  if (n < 0 || (src == nullptr && n > 0)) return KOR_FAIL;
  m_text.append(static_cast<const char*>(src), static_cast<size_t>(n));
  return n;
}

void KorBuffer_c::ResetToEmpty() {
  std::vector<uint8_t>().swap(m_storage);
  m_data = nullptr;
  m_capacity = 0;
  m_owned = KOR_TRUE;
  m_readOnly = false;
  m_position = 0;
  m_remaining = 0;
}

KorStatus KorBuffer_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<KorBuffer_c*>(target);
  if (other == nullptr || KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  if (other == this) return KOR_OK;
  other->ResetToEmpty();
  if (m_capacity > 0) {
    if (other->Resize(m_capacity) != KOR_OK) return KOR_FAIL;
    std::memcpy(other->m_data, m_data, static_cast<size_t>(m_capacity));
  }
  other->m_position = m_position;
  other->m_remaining = m_remaining;
  return KOR_OK;
}

std::unique_ptr<KorObject_c> KorBuffer_c::CreateNew() const {
  return std::make_unique<KorBuffer_c>();
}

KorStatus KorBuffer_c::Resize(int32_t n) {
  if (n <= 0) {
    ResetToEmpty();
    return KOR_OK;
  }
  std::vector<uint8_t> fresh;
  try {
    fresh.assign(static_cast<size_t>(n) + 1, 0);
  } catch (const std::bad_alloc&) {
    return KOR_FAIL;
  } catch (const std::length_error&) {
    return KOR_FAIL;
  }
  const int32_t keep = std::min(n, m_capacity);
  if (keep > 0) std::memcpy(fresh.data(), m_data, static_cast<size_t>(keep));
  const int32_t length = std::min(n, GetLength());
  m_storage = std::move(fresh);
  m_data = m_storage.data();
  m_capacity = n;
  m_owned = KOR_TRUE;
  m_readOnly = false;
  m_position = 0;
  m_remaining = length;
  return KOR_OK;
}

KorStatus KorBuffer_c::SetLength(int32_t n) {
  if (n == -1) n = GetLength();
  if (n < 0) return KOR_FAIL;
  m_position = 0;
  m_remaining = std::min(n, m_capacity);
  return KOR_OK;
}

KorStatus KorBuffer_c::Seek(int32_t position) {
  const int32_t length = GetLength();
  const int32_t clamped = std::clamp(position, 0, length);
  m_position = clamped;
  m_remaining = length - clamped;
  return clamped == position ? KOR_OK : KOR_FAIL;
}

int32_t KorBuffer_c::FindByte(uint8_t b) {
  if (m_remaining <= 0) return KOR_FAIL;
  const void* hit = std::memchr(m_data + m_position, b, static_cast<size_t>(m_remaining));
  if (hit == nullptr) return KOR_FAIL;
  const int32_t at = static_cast<int32_t>(static_cast<const uint8_t*>(hit) - m_data);
  m_remaining -= at - m_position;
  m_position = at;
  return at;
}

void KorBuffer_c::Fill(uint8_t b) {
  if (m_readOnly || m_capacity <= 0) return;
  std::memset(m_data, b, static_cast<size_t>(m_capacity));
}

void KorBuffer_c::Zero() {
  if (m_readOnly) return;
  Fill(0);
  m_position = 0;
  m_remaining = m_capacity;
}

KorStatus KorBuffer_c::Attach(uint8_t* data, int32_t length) {
  if (m_data != nullptr || length < 0 || (data == nullptr && length > 0)) return KOR_FAIL;
  ResetToEmpty();
  m_data = length > 0 ? data : nullptr;
  m_capacity = length;
  m_owned = KOR_FALSE;
  m_remaining = length;
  return KOR_OK;
}

KorStatus KorBuffer_c::Attach(const uint8_t* data, int32_t length) {
  // The pointer is only read through while the buffer is read-only.
  if (Attach(const_cast<uint8_t*>(data), length) != KOR_OK) return KOR_FAIL;
  m_readOnly = true;
  return KOR_OK;
}

KorStatus KorBuffer_c::Attach(std::vector<uint8_t>&& bytes) {
  if (m_data != nullptr ||
      bytes.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return KOR_FAIL;
  }
  ResetToEmpty();
  const auto length = static_cast<int32_t>(bytes.size());
  if (length == 0) return KOR_OK;
  try {
    bytes.push_back(0);
  } catch (const std::bad_alloc&) {
    return KOR_FAIL;
  }
  m_storage = std::move(bytes);
  m_data = m_storage.data();
  m_capacity = length;
  m_remaining = length;
  return KOR_OK;
}

int32_t KorBuffer_c::SetFromBytes(const void* src, int32_t n) {
  if (m_readOnly || n < 0 || (src == nullptr && n > 0)) return KOR_FAIL;
  const int32_t count = std::min(n, m_capacity);
  // memmove: the source may lie inside this buffer.
  if (count > 0) std::memmove(m_data, src, static_cast<size_t>(count));
  m_position = 0;
  m_remaining = count;
  return count;
}

KorStatus KorBuffer_c::Assign(const void* src, int32_t n) { return AssignPadded(src, n, 0); }

KorStatus KorBuffer_c::AssignPadded(const void* src, int32_t n, int32_t zeros) {
  if (n < 0 || zeros < 0 || (src == nullptr && n > 0) ||
      n > std::numeric_limits<int32_t>::max() - 1 - zeros) {
    return KOR_FAIL;
  }
  const int32_t total = n + zeros;
  if (total == 0) {
    ResetToEmpty();
    return KOR_OK;
  }
  // Fill the new storage before dropping the old one: src may point into it.
  std::vector<uint8_t> fresh;
  try {
    fresh.reserve(static_cast<size_t>(total) + 1);
  } catch (const std::bad_alloc&) {
    return KOR_FAIL;
  }
  const auto* bytes = static_cast<const uint8_t*>(src);
  fresh.insert(fresh.end(), bytes, bytes + n);
  fresh.insert(fresh.end(), static_cast<size_t>(zeros) + 1, 0);
  ResetToEmpty();
  m_storage = std::move(fresh);
  m_data = m_storage.data();
  m_capacity = total;
  m_remaining = total;
  return KOR_OK;
}

int32_t KorBuffer_c::Read(void* dst, int32_t n) {
  if (n < 0 || (dst == nullptr && n > 0)) return KOR_FAIL;
  const int32_t count = std::min(n, m_remaining);
  if (count > 0) std::memcpy(dst, m_data + m_position, static_cast<size_t>(count));
  m_position += count;
  m_remaining -= count;
  return count;
}

int32_t KorBuffer_c::Write(const void* src, int32_t n) {
  if (n < 0 || (src == nullptr && n > 0)) return KOR_FAIL;
  if (m_readOnly) return 0;
  const int32_t count = std::min(n, m_remaining);
  if (count > 0) std::memmove(m_data + m_position, src, static_cast<size_t>(count));
  m_position += count;
  m_remaining -= count;
  return count;
}

std::string_view KorBuffer_c::View() const {
  if (m_data == nullptr) return {};
  return std::string_view(reinterpret_cast<const char*>(m_data), static_cast<size_t>(GetLength()));
}

KorStatus KorBuffer_c::SizeForWriting(int32_t n) {
  if (Resize(n) != KOR_OK) return KOR_FAIL;
  return SetLength(n < 0 ? 0 : n);
}
