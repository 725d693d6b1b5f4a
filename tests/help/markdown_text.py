#!/usr/bin/env python3
"""The Markdown page `mdhost doc --format md` writes says what the HTML page
says, as a CommonMark renderer (cmark-gfm, with tables) reads it: the words
of both renderings, in order, are the same (the HTML's permalinks aside).
Markdown that escapes too little shows as emphasis, code or lost marks here.
Every link is one of the contents list's, to an anchor the page holds: a
name's backtick or bracket makes no link of its own, nor does a ")" end one.
  markdown_text.py DOCUMENT [CMARK] -- MDHOST..."""
import html.parser
import shutil
import subprocess
import sys
import urllib.parse


INLINE = ("wbr", "a", "code", "b", "i", "em", "strong", "span")


class Words(html.parser.HTMLParser):
    """The words a reader sees, outside style, title and script; a block's
    edge parts words, an inline element's (<wbr> too) does not."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.text, self.hidden, self.in_permalink = "", 0, False

    def handle_starttag(self, tag, attrs):
        if tag in ("style", "title", "script"):
            self.hidden += 1
        if tag == "a" and ("class", "permalink") in attrs:
            self.in_permalink = True
        if tag not in INLINE:
            self.text += " "

    def handle_endtag(self, tag):
        if tag in ("style", "title", "script"):
            self.hidden -= 1
        if tag == "a":
            self.in_permalink = False
        if tag not in INLINE:
            self.text += " "

    def handle_data(self, data):
        if not self.hidden and not self.in_permalink:
            self.text += data


class Links(html.parser.HTMLParser):
    """The links' targets and the anchors' ids."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.targets, self.ids = [], set()

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag == "a" and "href" in attributes:
            self.targets.append(attributes["href"])
        if "id" in attributes:
            self.ids.add(attributes["id"])


def broken_links(rendered):
    links = Links()
    links.feed(rendered)
    broken = [t for t in links.targets if not t.startswith("#") or urllib.parse.unquote(t[1:]) not in links.ids]
    if len(links.targets) != len(links.ids):  # one link to each action's anchor
        broken.append("%d links for %d anchors" % (len(links.targets), len(links.ids)))
    return broken


def words(page):
    parser = Words()
    parser.feed(page)
    # A label is "Name" on one page and "Name:" on the other.
    return [w.rstrip(":") for w in parser.text.split() if w.rstrip(":")]


def main(argv):
    split = argv.index("--")
    document = argv[0]
    cmark = argv[1] if split > 1 else shutil.which("cmark-gfm")
    mdhost = argv[split + 1:]
    page = subprocess.run(mdhost + ["doc", document], capture_output=True, check=True).stdout.decode("utf-8")
    markdown = subprocess.run(mdhost + ["doc", "--format", "md", document], capture_output=True,
                              check=True).stdout
    rendered = subprocess.run([cmark, "-e", "table", "--unsafe", "--to", "html"], input=markdown,
                              capture_output=True, check=True).stdout.decode("utf-8")
    html_words, md_words = words(page), words(rendered)
    broken = broken_links(rendered)
    if broken:
        print("links that lead nowhere or should be none: %s" % broken)
        return 1
    if html_words == md_words:
        print("the Markdown renders the page's %d words" % len(html_words))
        return 0
    at = next((i for i, (a, b) in enumerate(zip(html_words, md_words)) if a != b), min(len(html_words), len(md_words)))
    print("the renderings part at word %d:\n  HTML:     %s\n  Markdown: %s" % (
        at, " ".join(html_words[max(0, at - 5):at + 8]), " ".join(md_words[max(0, at - 5):at + 8])))
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
