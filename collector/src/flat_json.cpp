#include "flat_json.h"

#include "toolkit/base/utf8.h"

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool AtEnd() {
    SkipSpace();
    return pos_ == text_.size();
  }

  bool Take(char c) {
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool Peek(char c) {
    SkipSpace();
    return pos_ < text_.size() && text_[pos_] == c;
  }

  bool String(std::string* out) {
    out->clear();
    if (!Take('"')) return false;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out->push_back(c);
        continue;
      }
      if (pos_ >= text_.size()) return false;
      const char e = text_[pos_++];
      switch (e) {
        case '"': out->push_back('"'); break;
        case '\\': out->push_back('\\'); break;
        case '/': out->push_back('/'); break;
        case 'b': out->push_back('\b'); break;
        case 'f': out->push_back('\f'); break;
        case 'n': out->push_back('\n'); break;
        case 'r': out->push_back('\r'); break;
        case 't': out->push_back('\t'); break;
        case 'u': {
          char32_t unit;
          if (!Hex4(&unit)) return false;
          char32_t cp = unit;
          if (unit >= 0xD800 && unit <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
            const size_t save = pos_;
            pos_ += 2;
            char32_t low;
            if (Hex4(&low) && low >= 0xDC00 && low <= 0xDFFF) {
              cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            } else {
              pos_ = save;
            }
          }
          if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
          base::AppendUtf8(cp, out);
          break;
        }
        default: return false;
      }
    }
    return false;
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }

  bool Hex4(char32_t* out) {
    if (text_.size() - pos_ < 4) return false;
    char32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= c - '0';
      else if (c >= 'a' && c <= 'f') v |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') v |= c - 'A' + 10;
      else return false;
    }
    *out = v;
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

// Reads `{ "k":"v", ... }` into `out`; when `nestedKey` is given, that member is read as an
// object into `nested` instead.
bool ReadObject(Reader* r, std::string_view nestedKey, std::map<std::string, std::string>* out,
                std::map<std::string, std::string>* nested, bool* hasNested) {
  if (!r->Take('{')) return false;
  if (r->Take('}')) return true;
  do {
    std::string key;
    if (!r->String(&key) || !r->Take(':')) return false;
    if (nested && key == nestedKey) {
      if (*hasNested || !r->Peek('{')) return false;
      *hasNested = true;
      if (!ReadObject(r, {}, nested, nullptr, nullptr)) return false;
      continue;
    }
    std::string value;
    if (!r->String(&value)) return false;
    if (!out->emplace(std::move(key), std::move(value)).second) return false;  // duplicate
  } while (r->Take(','));
  return r->Take('}');
}

}  // namespace

bool ParseFlatObject(std::string_view text, std::string_view nestedKey, FlatObject* out) {
  *out = FlatObject{};
  Reader r(text);
  return ReadObject(&r, nestedKey, &out->members, &out->nested, &out->hasNested) && r.AtEnd();
}

std::string JsonQuoted(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (u < 0x20) {
      out += "\\u00";
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 0xF]);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

std::string JsonObjectOfStrings(const std::map<std::string, std::string>& members) {
  std::string out = "{";
  for (const auto& [key, value] : members) {
    if (out.size() > 1) out.push_back(',');
    out += JsonQuoted(key) + ":" + JsonQuoted(value);
  }
  return out + "}";
}
