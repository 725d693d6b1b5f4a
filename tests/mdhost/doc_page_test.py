#!/usr/bin/env python3
"""mdhost doc as a plugin author and a reader meet it: every action and
argument of a document on the page, anchors unique; a hostile document
(markup in every text, Windows-1252 bytes, 10,000 actions) shown as text in
headless Chromium, with nothing of it run.
  doc_page_test.py WORK_DIR PLUGIN DOCUMENT... -- MDHOST..."""
import html.parser
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.tags, self.sections, self.current = [], [], {}, None

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.append(attrs["id"])
            if tag == "section":
                self.current = attrs["id"]
                self.sections[self.current] = ""

    def handle_data(self, data):
        if self.current:
            self.sections[self.current] += data


def doc(mdhost, *arguments):
    run = subprocess.run(mdhost + ["doc"] + list(arguments), capture_output=True)
    if run.returncode != 0:
        raise SystemExit("mdhost doc %s: exit %d\n%s" % (arguments, run.returncode, run.stdout.decode() + run.stderr.decode()))
    return run.stdout.decode("utf-8")


def check_document(mdhost, path, xml_text, problems):
    page = Page()
    page.feed(doc(mdhost, path))
    if len(page.ids) != len(set(page.ids)):
        problems.append("%s: anchors named twice" % path)
    actions = ET.fromstring(xml_text).findall("Action")
    sections = list(page.sections.items())
    if len(sections) != len(actions):
        problems.append("%s: %d sections for %d actions" % (path, len(sections), len(actions)))
    for (anchor, text), action in zip(sections, actions):
        name = action.findtext("Name")
        if not anchor.startswith(name) or name not in text:
            problems.append("%s: section %s is not %s's" % (path, anchor, name))
        for arg in action.iter("Arg"):
            if arg.findtext("Name") not in text or (arg.findtext("Description") or "") not in text:
                problems.append("%s: %s lacks its argument %s" % (path, name, arg.findtext("Name")))


HOSTILE = [
    "<script>document.body.setAttribute('data-ran', 'script')</script>",
    '"><img src=x onerror="document.body.setAttribute(\'data-ran\', \'img\')">',
    "Caf\xe9 \u20ac \u2122",  # written as Windows-1252 bytes E9 80 99
]


def hostile_document(count):
    lines = ['<ActionTemplates>']
    for i in range(count):
        text = HOSTILE[i % len(HOSTILE)]
        escaped = text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        lines.append("<Action><Name>Evil.A%d</Name><Description>%s</Description><ReturnValueType>string"
                     "</ReturnValueType><Arguments><Arg><Name>X</Name><Description>%s</Description><Type>string</Type>"
                     "<Default>&quot;&quot;</Default><Required>0</Required></Arg></Arguments></Action>" % (i, escaped, escaped))
    lines.append("</ActionTemplates>")
    return "\n".join(lines).encode("cp1252")


def main(argv):
    split = argv.index("--")
    work, plugin, documents, mdhost = argv[0], argv[1], argv[2:split], argv[split + 1:]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    problems = []
    # This plugin's own page: its six actions, as its document names them.
    own = Page()
    own.feed(doc(mdhost, plugin))
    for name in ["GetName", "GetXML", "GetLuaVersion", "GetAuthorInfo", "GetVersion", "GetInfo"]:
        if "ModuleDetails." + name not in own.sections:
            problems.append("this plugin's page lacks ModuleDetails." + name)
    for path in documents:
        check_document(mdhost, path, open(path, "rb").read().decode("cp1252"), problems)

    hostile = os.path.join(work, "hostile.xml")
    with open(hostile, "wb") as f:
        f.write(hostile_document(10000))
    page_file = os.path.join(work, "hostile.html")
    doc(mdhost, hostile, "-o", page_file)
    text = open(page_file, encoding="utf-8").read()
    parsed = Page()
    parsed.feed(text)
    if "script" in parsed.tags or "img" in parsed.tags:
        problems.append("a text from the document became markup")
    if len(parsed.sections) != 10000 or len(set(parsed.ids)) != len(parsed.ids):
        problems.append("%d sections, anchors unique: %s" % (len(parsed.sections), len(set(parsed.ids)) == len(parsed.ids)))
    for shown in ["&lt;script&gt;", "&quot;&gt;&lt;img", "Caf\xe9 \u20ac \u2122", '<meta charset="utf-8">']:
        if shown not in text:
            problems.append("the page does not show %r" % shown)

    # What a browser makes of the three kinds of text, on a page of three
    # actions (native.doc_browser_many reads a page of 10,000 in one).
    small = os.path.join(work, "hostile_small.xml")
    with open(small, "wb") as f:
        f.write(hostile_document(3))
    small_page = os.path.join(work, "hostile_small.html")
    doc(mdhost, small, "-o", small_page)
    chromium = shutil.which("chromium")
    common = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-sync",
              "--disable-background-networking", "--disable-component-update",
              "--user-data-dir=" + os.path.join(work, "profile"), "--window-size=1000,800", "--virtual-time-budget=5000"]
    dom = subprocess.run(common + ["--dump-dom", "file://" + small_page], capture_output=True, timeout=300)
    dom_text = dom.stdout.decode("utf-8", "replace")
    if "<body" not in dom_text or "data-ran=" in dom_text.split("<body", 1)[1].split(">", 1)[0]:
        problems.append("Chromium ran something of the document, or showed nothing")
    if "Evil.A2" not in dom_text:
        problems.append("Chromium did not show the last action")
    shot = os.path.join(work, "hostile.png")
    subprocess.run(common + ["--screenshot=" + shot, "file://" + small_page], capture_output=True, timeout=300)
    if not os.path.exists(shot) or os.path.getsize(shot) < 20000:
        problems.append("no screenshot with content (%s)" % shot)
    print("\n".join(problems) or "pages checked; screenshot in " + shot)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
