#include "xml_check.h"

#include <cctype>
#include <cstring>

namespace host {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : s_(text) {}

  XmlReport Run() {
    XmlReport report;
    SkipProlog();
    if (!Fail() && (At("<") && !At("</"))) {
      Element(report, 0, "");
    } else if (!Fail()) {
      problem_ = "no root element";
    }
    if (!Fail()) SkipMisc();
    if (!Fail() && pos_ != s_.size()) problem_ = "content after the root element";
    report.well_formed = !Fail();
    report.problem = Fail() ? problem_ + " (at byte " + std::to_string(pos_) + ")" : "";
    return report;
  }

 private:
  bool Fail() const { return !problem_.empty(); }
  bool At(const char* what) const { return s_.compare(pos_, std::strlen(what), what) == 0; }
  static bool NameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == ':' || c >= 0x80; }
  static bool NameChar(unsigned char c) { return NameStart(c) || std::isdigit(c) || c == '-' || c == '.'; }
  void SkipSpace() {
    while (pos_ < s_.size() && std::strchr(" \t\r\n", s_[pos_]) && s_[pos_]) ++pos_;
  }

  std::string Name() {
    const std::size_t start = pos_;
    if (pos_ < s_.size() && NameStart(s_[pos_]))
      while (pos_ < s_.size() && NameChar(s_[pos_])) ++pos_;
    if (pos_ == start) problem_ = "a name was expected";
    return s_.substr(start, pos_ - start);
  }

  void SkipUntil(const char* end, const char* what) {
    const std::size_t found = s_.find(end, pos_);
    if (found == std::string::npos) {
      problem_ = std::string("unterminated ") + what;
      return;
    }
    pos_ = found + std::strlen(end);
  }

  // Comments and processing instructions; true when one was skipped.
  bool SkipMarkup() {
    if (At("<!--")) return SkipUntil("-->", "comment"), true;
    if (At("<?")) return SkipUntil("?>", "processing instruction"), true;
    return false;
  }

  void SkipProlog() {
    while (!Fail()) {
      SkipSpace();
      if (At("<!DOCTYPE")) {
        SkipUntil(">", "document type");
      } else if (!SkipMarkup()) {
        return;
      }
    }
  }

  void SkipMisc() {
    while (!Fail()) {
      SkipSpace();
      if (!SkipMarkup()) return;
    }
  }

  void Reference() {
    const std::size_t end = s_.find(';', pos_);
    if (end == std::string::npos || end - pos_ > 12) {
      problem_ = "a bare '&'";
      return;
    }
    const std::string ref = s_.substr(pos_ + 1, end - pos_ - 1);
    const bool named = ref == "amp" || ref == "lt" || ref == "gt" || ref == "quot" || ref == "apos";
    bool numeric = ref.size() > 1 && ref[0] == '#';
    for (std::size_t i = 1; numeric && i < ref.size(); ++i)
      numeric = std::isxdigit(static_cast<unsigned char>(ref[i])) || (i == 1 && ref[i] == 'x');
    if (!named && !numeric) problem_ = "an unknown entity '&" + ref + ";'";
    pos_ = end + 1;
  }

  void Attributes() {
    while (!Fail()) {
      SkipSpace();
      if (At(">") || At("/>")) return;
      Name();
      SkipSpace();
      if (Fail() || !At("=")) {
        if (!Fail()) problem_ = "an attribute without '='";
        return;
      }
      ++pos_;
      SkipSpace();
      const char quote = pos_ < s_.size() ? s_[pos_] : 0;
      if (quote != '"' && quote != '\'') {
        problem_ = "an unquoted attribute value";
        return;
      }
      for (++pos_; !Fail() && pos_ < s_.size() && s_[pos_] != quote;) {
        if (s_[pos_] == '<') problem_ = "'<' in an attribute value";
        else if (s_[pos_] == '&') Reference();
        else ++pos_;
      }
      if (!Fail() && pos_ >= s_.size()) problem_ = "an unterminated attribute value";
      ++pos_;
    }
  }

  // Reads one element; `parent` names the enclosing one, to find Action/Name.
  void Element(XmlReport& report, int depth, const std::string& parent) {
    ++pos_;  // '<'
    const std::string name = Name();
    Attributes();
    if (Fail()) return;
    if (At("/>")) {
      pos_ += 2;
      return;
    }
    ++pos_;  // '>'
    std::string text;
    while (!Fail()) {
      if (pos_ >= s_.size()) {
        problem_ = "'" + name + "' is not closed";
        return;
      }
      if (At("</")) break;
      if (At("<![CDATA[")) {
        const std::size_t start = pos_ + 9;
        SkipUntil("]]>", "CDATA section");
        if (!Fail()) text += s_.substr(start, pos_ - 3 - start);
      } else if (SkipMarkup()) {
      } else if (At("<")) {
        Element(report, depth + 1, name);
      } else if (s_[pos_] == '&') {
        Reference();
      } else {
        text += s_[pos_++];
      }
    }
    if (Fail()) return;
    pos_ += 2;
    const std::string closing = Name();
    SkipSpace();
    if (!Fail() && closing != name) problem_ = "'" + name + "' is closed by '" + closing + "'";
    if (!Fail() && !At(">")) problem_ = "'>' expected";
    ++pos_;
    if (!Fail() && name == "Name" && parent == "Action" && depth == 2) report.action_names.push_back(text);
  }

  const std::string& s_;
  std::size_t pos_ = 0;
  std::string problem_;
};

}  // namespace

XmlReport CheckXml(const std::string& text) { return Reader(text).Run(); }

}  // namespace host
