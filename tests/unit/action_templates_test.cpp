// The action template document: byte layout and what is served.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/module/action_template_document.h"
#include "plugin/module/module_state.h"
#include "plugin/module/plugin_exports.h"
#include "support/test_paths.h"

namespace {

std::string Served() {
  md::OnProcessAttach();
  int32_t size = 0;
  irPlg_GetPluginActionXML(nullptr, &size);
  std::string buffer(size + 1, '\x5A');
  EXPECT_EQ(size, irPlg_GetPluginActionXML(&buffer[0], &size));
  return buffer.substr(0, size);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

TEST(ActionDocument, ServedBytesAreTheFileBytes) {
  const std::string file = testing_paths::ReadFile(testing_paths::DocumentPath());
  ASSERT_GT(file.size(), 1000u);
  EXPECT_EQ(file, Served());
  EXPECT_EQ(file.size(), md::ActionTemplateDocumentSize());
  EXPECT_EQ(std::string::npos, file.find('\0'));
}

TEST(ActionDocument, LinesEndInCrLfAndTheLastHasNone) {
  const std::string doc = Served();
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc[i] == '\n') EXPECT_TRUE(i > 0 && doc[i - 1] == '\r') << "bare LF at " << i;
    if (doc[i] == '\r') EXPECT_TRUE(i + 1 < doc.size() && doc[i + 1] == '\n') << "bare CR at " << i;
  }
  const std::vector<std::string> lines = Lines(doc);
  EXPECT_EQ("<ActionTemplates>", lines.front());
  EXPECT_EQ("</ActionTemplates>", lines.back());
}

// Indentation by depth inside the actions, none in Extended.
TEST(ActionDocument, IndentationFollowsDepth) {
  int depth = 0;
  bool extended = false;
  int actions = 0;
  for (const std::string& line : Lines(Served())) {
    if (line == "<Extended>") extended = true;
    if (line.empty() || line[0] != '<' && line[0] != '\t') continue;  // multi-line values
    const std::size_t tabs = line.find_first_not_of('\t');
    const std::string tag = line.substr(tabs);
    const bool closing = tag.compare(0, 2, "</") == 0;
    const bool leaf = closing || tag.find("</") != std::string::npos || tag.find("/>") != std::string::npos;
    if (closing) --depth;
    if (extended) {
      EXPECT_EQ(0u, tabs) << line;
    } else {
      EXPECT_EQ(static_cast<std::size_t>(depth), tabs) << line;
    }
    if (tag == "<Action>" && !extended) ++actions;
    if (!leaf && tag.find('>') == tag.size() - 1) ++depth;
  }
  EXPECT_EQ(6, actions);
}

TEST(ActionDocument, EmptyElementsUseTheirFourForms) {
  const std::string doc = Served();
  auto count = [&](const std::string& what) {
    int n = 0;
    for (std::size_t at = doc.find(what); at != std::string::npos; at = doc.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(6, count("\t\t\t\t<Default/>\r\n"));
  EXPECT_EQ(6, count("\t\t\t\t\t<Default />\r\n"));
  EXPECT_EQ(5, count("\r\n<Action/>\r\n"));
  EXPECT_EQ(1, count("\r\n<Example></Example>\r\n<Note></Note>\r\n"));
}

TEST(ActionDocument, GetInfoDescriptionListsTheTableFields) {
  EXPECT_NE(std::string::npos, Served().find("<ReturnValueDescription>The table will contain the next values\r\n"
                                             "tReturn = {\r\n"
                                             "    Name = \"Plugin Name\",\r\n"
                                             "    Version = \"Plugin Version\",\r\n"
                                             "    LuaVersion = \"Plugin's luaversion\",\r\n"
                                             "    AuthorInfo = \"Plugin's author information\",\r\n"
                                             "    ActionXML = \"Plugin's XML data\"\r\n"
                                             "};</ReturnValueDescription>\r\n"));
}

}  // namespace
