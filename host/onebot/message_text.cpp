// Character set conversion, CQ-code escaping and message flattening.
#include "message_text.h"

#include "gb18030.h"

namespace robothost::onebot {
namespace {

void AppendSegmentAsCqCode(const nlohmann::json& segment, std::string& text) {
  const std::string type = segment.value("type", std::string());
  text += "[CQ:" + type;
  if (const auto data = segment.find("data"); data != segment.end() && data->is_object()) {
    for (const auto& [key, value] : data->items()) {
      const std::string raw = value.is_string() ? value.get<std::string>() : value.dump();
      std::string escaped = EscapeCqText(raw);
      std::string with_commas;
      for (char c : escaped) {
        if (c == ',') {
          with_commas += "&#44;";
        } else {
          with_commas += c;
        }
      }
      text += "," + key + "=" + with_commas;
    }
  }
  text += "]";
}

}  // namespace

std::optional<std::string> Utf8ToGb18030(std::string_view utf8) { return gb18030::FromUtf8(utf8); }

std::string Gb18030ToUtf8(std::string_view gb18030) { return gb18030::ToUtf8(gb18030); }

std::string EscapeCqText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '[': escaped += "&#91;"; break;
      case ']': escaped += "&#93;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string UnescapeCqText(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEscapes[] = {
      {"&amp;", '&'}, {"&#91;", '['}, {"&#93;", ']'}, {"&#44;", ','}};
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [escape, character] : kEscapes) {
        if (text.substr(i).starts_with(escape)) {
          plain += character;
          i += escape.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) plain += text[i++];
  }
  return plain;
}

std::optional<std::string> MessagePlainText(const nlohmann::json& message) {
  if (message.is_string()) {
    // Text between CQ codes is escaped; the CQ codes themselves stay as they are.
    const std::string& raw = message.get_ref<const std::string&>();
    std::string text;
    std::size_t position = 0;
    while (position < raw.size()) {
      const std::size_t code = raw.find("[CQ:", position);
      const std::size_t code_end = code == std::string::npos ? code : raw.find(']', code);
      if (code_end == std::string::npos) {
        text += UnescapeCqText(std::string_view(raw).substr(position));
        break;
      }
      text += UnescapeCqText(std::string_view(raw).substr(position, code - position));
      text.append(raw, code, code_end + 1 - code);
      position = code_end + 1;
    }
    return text;
  }
  if (!message.is_array()) return std::nullopt;
  std::string text;
  for (const nlohmann::json& segment : message) {
    if (!segment.is_object()) return std::nullopt;
    const auto type = segment.find("type");
    if (type == segment.end() || !type->is_string()) return std::nullopt;
    if (*type == "text") {
      const auto data = segment.find("data");
      if (data == segment.end() || !data->is_object()) return std::nullopt;
      const auto value = data->find("text");
      if (value == data->end() || !value->is_string()) return std::nullopt;
      text += value->get_ref<const std::string&>();
    } else {
      AppendSegmentAsCqCode(segment, text);
    }
  }
  return text;
}

}  // namespace robothost::onebot
