// Places as editors count them, and the byte order mark the host cannot read.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/examine/action_document.h"
#include "mdhost/examine/text_places.h"

namespace {

std::string Shown(host::Place place) { return std::to_string(place.line) + ":" + std::to_string(place.column); }

// Each line end starts a line; a tab, a code point of UTF-8 and a byte of
// other text are one column each; the mark counts as none.
TEST(TextPlaces, LinesAndColumnsAsEditorsCount) {
  const std::string text = "a\r\nb\rc\n\td\xC3\xA9\xE6\x97\xA5<x>";
  host::TextPlaces places(text);
  EXPECT_EQ("1:1", Shown(places.At(0)));
  EXPECT_EQ("2:1", Shown(places.At(3)));
  EXPECT_EQ("3:1", Shown(places.At(5)));
  EXPECT_EQ("4:5", Shown(places.At(text.find('<'))));
  EXPECT_EQ("1:2", Shown(places.At(1)));   // backwards too
  const std::string ansi = "\xE9\xE9<x>";  // Windows-1252: each byte a character
  EXPECT_EQ("1:3", Shown(host::TextPlaces(ansi).At(2)));
  const std::string marked = "\xEF\xBB\xBF<x>";
  EXPECT_EQ("1:1", Shown(host::TextPlaces(marked).At(3)));
}

TEST(TextPlaces, AByteOrderMarkIsNamedWhereTheHostCannotReadIt) {
  const host::ActionDocument document = host::ReadActionDocument("\xEF\xBB\xBF<ActionTemplates/>");
  EXPECT_FALSE(document.well_formed);
  EXPECT_NE(std::string::npos, document.problem.find("a UTF-8 byte order mark before <ActionTemplates>"));
  EXPECT_EQ("1:1", Shown(document.problem_place));
  // A finding after an entity holding a line break stays on its own line,
  // and its column counts the UTF-8 text before it as characters.
  const host::ActionDocument entity = host::ReadActionDocument(
      "<!DOCTYPE a [<!ENTITY two \"x\ny\">]>\n<ActionTemplates><Action><Name>&two;</Name>\n"
      "<Description>d</Description><ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>N</Name>"
      "<Description>\xE6\x97\xA5\xE6\x9C\xAC</Description><Type>numbr</Type><Required>0</Required></Arg>"
      "</Arguments></Action>"
      "</ActionTemplates>");
  ASSERT_TRUE(entity.well_formed) << entity.problem;
  bool found = false;
  for (const host::Finding& f : entity.findings)
    if (f.rule == "MD310") found = Shown(f.subject.place) == "4:129";  // the DTD has two lines; two characters
  EXPECT_TRUE(found);
}

}  // namespace
