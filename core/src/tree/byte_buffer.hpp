// A growable byte buffer on the C heap, the JSON writer's output.
#pragma once

#include <cstddef>
#include <string_view>

namespace tarnevo::detail::tree {

// A growable byte buffer on the C heap, so that its block can be handed across the C interface
// as it is. Running out of memory throws std::bad_alloc.
class ByteBuffer {
 public:
  explicit ByteBuffer(std::size_t initial_capacity = 128);
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer();

  void append(const char* bytes, std::size_t count) {
    if (count > capacity_ - size_) grow(count);
    if (count != 0) __builtin_memcpy(data_ + size_, bytes, count);
    size_ += count;
  }
  void append(std::string_view bytes) { append(bytes.data(), bytes.size()); }
  void push_back(char byte) {
    if (size_ == capacity_) grow(1);
    data_[size_++] = byte;
  }
  // Makes room for `count` more bytes and returns where they go; `commit` then counts them.
  char* reserve_tail(std::size_t count) {
    if (count > capacity_ - size_) grow(count);
    return data_ + size_;
  }
  void commit(std::size_t count) noexcept { size_ += count; }

  const char* data() const noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }
  std::size_t capacity() const noexcept { return capacity_; }
  std::string_view view() const noexcept { return {data_, size_}; }
  void clear() noexcept { size_ = 0; }

  // Appends one NUL byte, shrinks the block to exactly the text and its terminator, and hands
  // the block over: the caller releases it with std::free. The buffer is empty afterwards.
  char* release_c_string();

 private:
  void grow(std::size_t extra);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace tarnevo::detail::tree
