#include <cstdlib>
#include <new>
#include <utility>

#include "tree/write_json.hpp"

namespace tarnevo::detail::tree {

ByteBuffer::ByteBuffer(std::size_t initial_capacity) {
  if (initial_capacity == 0) initial_capacity = 1;
  data_ = static_cast<char*>(std::malloc(initial_capacity));
  if (data_ == nullptr) throw std::bad_alloc();
  capacity_ = initial_capacity;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

ByteBuffer::~ByteBuffer() {
  std::free(data_);
}

void ByteBuffer::grow(std::size_t extra) {
  std::size_t wanted = capacity_ * 2;
  if (wanted - size_ < extra) wanted = size_ + extra;
  if (wanted < size_) throw std::bad_alloc();  // overflow
  void* grown = std::realloc(data_, wanted);
  if (grown == nullptr) throw std::bad_alloc();
  data_ = static_cast<char*>(grown);
  capacity_ = wanted;
}

char* ByteBuffer::release_c_string() {
  push_back('\0');
  // Shrinking never moves data in a way we depend on: realloc keeps the bytes either way, and
  // the returned block is the buffer itself, not a second copy.
  void* fitted = std::realloc(data_, size_);
  char* block = fitted != nullptr ? static_cast<char*>(fitted) : data_;
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
  return block;
}

}  // namespace tarnevo::detail::tree
