#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/korobject.h"

// Something bytes can be read from.
class KorReader_c {
 public:
  virtual ~KorReader_c() = default;
  // Copies up to n bytes to dst; returns how many were copied (0 at the end,
  // KOR_FAIL for bad arguments).
  virtual int32_t Read(void* dst, int32_t n) = 0;
};

// Something bytes can be written to.
class KorWriter_c {
 public:
  virtual ~KorWriter_c() = default;
  // Copies up to n bytes from src; returns how many were taken (KOR_FAIL for
  // bad arguments).
  virtual int32_t Write(const void* src, int32_t n) = 0;
};

// A writer that appends to a std::string (grows as needed).
class KorStringWriter_c : public KorWriter_c {
 public:
  int32_t Write(const void* src, int32_t n) override;
  std::string& Text() { return m_text; }
  const std::string& Text() const { return m_text; }

 private:
  std::string m_text;
};

// A byte buffer with a cursor; also a reader and a writer over its bytes.
//
// Length = position + remaining. The stored bytes are always followed by a
// zero byte at index capacity when the buffer owns its storage; attached
// external bytes carry no such guarantee, so readers must respect the length.
// Writes never grow the buffer: size it first.
class KorBuffer_c : public KorObject_c, public KorReader_c, public KorWriter_c {
 public:
  KorBuffer_c() = default;
  ~KorBuffer_c() override = default;

  KorStatus CopyInto(KorObject_c* target) const override;  // deep copy of the contents
  std::unique_ptr<KorObject_c> CreateNew() const override;

  // Reallocates to exactly n bytes (n <= 0 frees the storage), keeping the
  // first min(n, old capacity) bytes; cursor to 0, length min(n, old length).
  // An attached buffer becomes an owned copy.
  KorStatus Resize(int32_t n);
  // Cursor to 0 and length min(n, capacity); -1 keeps the current length.
  KorStatus SetLength(int32_t n = -1);
  // Resize(n) then SetLength(n): n writable bytes from position 0 (writes
  // only fill the current length, and Resize alone keeps the old length).
  KorStatus SizeForWriting(int32_t n);
  // Cursor to position, clamped to 0..length; KOR_FAIL when clamped.
  KorStatus Seek(int32_t position);
  // Scans from the cursor for b; on success the cursor rests on it and its
  // position is returned, otherwise the cursor stays and KOR_FAIL.
  int32_t FindByte(uint8_t b);
  // Sets every byte of the capacity to b (length unchanged).
  void Fill(uint8_t b);
  // Fills with 0 and makes the length the capacity.
  void Zero();

  // Uses external bytes without copying; only when the buffer has no storage
  // of its own (KOR_FAIL otherwise). The caller keeps them alive. The const
  // form makes the buffer read-only: writes then take nothing.
  KorStatus Attach(uint8_t* data, int32_t length);
  KorStatus Attach(const uint8_t* data, int32_t length);
  // Takes the bytes as owned storage (capacity = length = size).
  KorStatus Attach(std::vector<uint8_t>&& bytes);

  // Copies up to capacity bytes to the start; the length becomes what was
  // copied; cursor to 0. Returns the count copied or KOR_FAIL.
  int32_t SetFromBytes(const void* src, int32_t n);
  // Resizes to n, copies all n bytes; cursor to 0. Returns a status.
  KorStatus Assign(const void* src, int32_t n);
  // Resizes to n + zeros and copies n bytes followed by zeros zero bytes;
  // the length is n + zeros. One allocation; src may lie inside this buffer.
  KorStatus AssignPadded(const void* src, int32_t n, int32_t zeros);
  KorStatus Assign(std::string_view bytes) {
    return Assign(bytes.data(), static_cast<int32_t>(bytes.size()));
  }

  int32_t Read(void* dst, int32_t n) override;
  int32_t Write(const void* src, int32_t n) override;

  int32_t GetCapacity() const { return m_capacity; }
  int32_t GetLength() const { return m_position + m_remaining; }
  int32_t GetPosition() const { return m_position; }
  int32_t GetRemaining() const { return m_remaining; }
  KorBool IsOwned() const { return m_owned; }
  bool IsReadOnly() const { return m_readOnly; }

  // Start of the bytes (null when there are none).
  const uint8_t* Data() const { return m_data; }
  uint8_t* MutableData() { return m_readOnly ? nullptr : m_data; }
  // The bytes from 0 to the length.
  std::string_view View() const;
  std::string ToStdString() const { return std::string(View()); }

 private:
  void ResetToEmpty();

  std::vector<uint8_t> m_storage;  // owned bytes + trailing zero
  uint8_t* m_data = nullptr;
  int32_t m_capacity = 0;
  KorBool m_owned = KOR_TRUE;
  bool m_readOnly = false;
  int32_t m_position = 0;
  int32_t m_remaining = 0;
};
