// A handler's reply: either a constant text of the module or a text the reply owns.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace common {

// The text an export hands back to the robot host. A constant reply points at a literal and
// is never freed; an owned reply keeps its text on the heap so the pointer the host reads
// stays put until the reply is destroyed.
class Reply {
 public:
  // The constant empty text.
  Reply() noexcept = default;

  // A reply that points at `literal`, which lives as long as the module.
  static Reply Constant(const char* literal) noexcept { return Reply(literal); }

  // A reply that owns `text`.
  static Reply Owned(std::string text) {
    Reply reply;
    reply.owned_ = std::make_unique<std::string>(std::move(text));
    reply.text_ = reply.owned_->c_str();
    return reply;
  }

  Reply(Reply&& other) noexcept
      : text_(std::exchange(other.text_, "")), owned_(std::move(other.owned_)) {}
  Reply& operator=(Reply&& other) noexcept {
    owned_ = std::move(other.owned_);
    text_ = std::exchange(other.text_, "");
    return *this;
  }
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;
  ~Reply() = default;

  // The zero-terminated GBK text; valid while this reply lives.
  const char* c_str() const noexcept { return text_; }
  bool is_constant() const noexcept { return owned_ == nullptr; }

 private:
  explicit Reply(const char* literal) noexcept : text_(literal) {}

  const char* text_ = "";
  std::unique_ptr<std::string> owned_;
};

}  // namespace common
