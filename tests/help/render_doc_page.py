#!/usr/bin/env python3
"""Renders the page `mdhost doc` makes in headless Chromium, 360 pixels wide
(a phone) and 1200 wide, and checks what a reader sees (Chromium's window
is never narrower than 500 pixels, so the phone's width is the page's own): no word broken
across lines, nothing wider than the window but a wide table, which scrolls
in its own box, and every action's section with its permalink. Screenshots
of both widths are left in WORK to be looked at (not of a generated one).
DOCUMENT generated:N is one of N actions made here (the contents must stay
usable with thousands).
  render_doc_page.py DOCUMENT WORK [CHROMIUM] -- MDHOST..."""
import json
import os
import re
import shutil
import subprocess
import sys

# Runs in the page once it is laid out, and writes its findings into the DOM.
PROBE = """<script>
(function () {
  var findings = [];
  var width = WIDTH;
  document.querySelectorAll("body *").forEach(function (e) {
    if (e.parentElement.closest(".table")) return;  // a wide table scrolls in its own box
    var right = e.getBoundingClientRect().right;
    if (right > width + 1) findings.push(e.tagName + " reaches " + Math.round(right) + " px: " + e.textContent.slice(0, 40));
    if (!e.classList.contains("table") && e.scrollWidth > e.clientWidth + 1 && getComputedStyle(e).display != "inline")
      findings.push(e.tagName + " scrolls sideways: " + e.textContent.slice(0, 40));
  });
  // A word laid out on two lines has two boxes.
  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (var node; (node = walker.nextNode());) {
    if (node.parentElement.closest("pre")) continue;  // code keeps its lines
    var re = /\\S+/g, m;
    while ((m = re.exec(node.data))) {
      var range = document.createRange();
      range.setStart(node, m.index);
      range.setEnd(node, m.index + m[0].length);
      var lines = {};
      Array.prototype.forEach.call(range.getClientRects(), function (r) { if (r.width > 0) lines[Math.round(r.top)] = 1; });
      if (Object.keys(lines).length > 1) findings.push("the word " + m[0].slice(0, 40) + " is broken");
    }
  }
  // The contents reaches every section, and as first shown fits on a screen.
  var links = document.querySelectorAll("#contents-list a");
  links.forEach(function (a) {
    if (!document.getElementById(a.getAttribute("href").slice(1))) findings.push("contents link to nothing: " + a.textContent);
  });
  if (links.length != document.querySelectorAll("section").length) findings.push("contents lists " + links.length + " actions");
  var contents = document.getElementById("contents-list").getBoundingClientRect().height;
  if (contents > 900) findings.push("contents " + Math.round(contents) + " px tall");
  document.querySelectorAll("section").forEach(function (s) {
    var link = s.querySelector("h2 a.permalink");
    if (!link || link.getAttribute("href") != "#" + s.id) findings.push("no permalink for " + s.id);
  });
  var out = document.createElement("pre");
  out.id = "findings";
  out.textContent = JSON.stringify({width: width, findings: findings, sections: document.querySelectorAll("section").length});
  document.body.appendChild(out);
})();
</script>"""


def chromium_run(chromium, work, width, arguments):
    return subprocess.run(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync", "--hide-scrollbars",
         "--user-data-dir=" + os.path.join(work, "profile"), "--window-size=%d,900" % width,
         "--virtual-time-budget=5000"] + arguments, capture_output=True, timeout=180)


def many_actions(count, work):
    """A document of `count` actions in ten tables, taking turns."""
    tables = ["Archive", "Buffer", "Clock", "Disk", "Event", "Font", "Graph", "Hash", "Image", "Job"]
    path = os.path.join(work, "many_actions.xml")
    with open(path, "w", encoding="utf-8") as out:
        out.write("<ActionTemplates>\n")
        for i in range(count):
            out.write("<Action><Name>%s.Step%05d</Name><Description>Step %d.</Description>"
                      "<ReturnValueType>number</ReturnValueType><Arguments><Arg><Name>Count</Name>"
                      "<Description>How many.</Description><Type>number</Type><Default>1</Default>"
                      "<Required>1</Required></Arg></Arguments></Action>\n" % (tables[i % 10], i, i))
        out.write("</ActionTemplates>\n")
    return path


def main(argv):
    split = argv.index("--")
    document, work = argv[0], argv[1]
    chromium = argv[2] if split > 2 else shutil.which("chromium")
    mdhost = argv[split + 1:]
    os.makedirs(work, exist_ok=True)
    generated = document.startswith("generated:")
    if generated:
        document = many_actions(int(document[len("generated:"):]), work)
    made = subprocess.run(mdhost + ["doc", document], capture_output=True, timeout=120)
    if made.returncode != 0:
        print("mdhost doc failed:\n" + made.stderr.decode("utf-8", "replace"))
        return 1
    page = made.stdout.decode("utf-8")
    shown = os.path.join(work, "page.html")
    probed = os.path.join(work, "probed.html")
    failed = False
    # A page of thousands of actions is read at the narrow width alone, where
    # its contents has the least room; the wide one is the named document's.
    for width in (360,) if generated else (360, 1200):
        sized = page.replace("</head>", "<style>html{width:%dpx}</style>\n</head>" % width)
        open(shown, "w", encoding="utf-8").write(sized)
        open(probed, "w", encoding="utf-8").write(sized.replace("</body>", PROBE.replace("WIDTH", str(width)) +
                                                                "\n</body>"))
        run = chromium_run(chromium, work, max(width, 500), ["--dump-dom", "file://" + probed])
        match = re.search(r'<pre id="findings">(.*?)</pre>', run.stdout.decode("utf-8", "replace"), re.S)
        if not match:
            print("Chromium gave no findings at %d px:\n%s" % (width, run.stderr.decode("utf-8", "replace")[-2000:]))
            return 1
        result = json.loads(match.group(1).replace("&quot;", '"').replace("&amp;", "&").replace("&lt;", "<")
                            .replace("&gt;", ">"))
        print("%d px: a window %d px wide, %d sections, %d findings" % (width, result["width"], result["sections"],
                                                                      len(result["findings"])))
        for finding in result["findings"][:20]:
            print("FAIL  " + finding)
        if len(result["findings"]) > 20:
            print("... and %d more" % (len(result["findings"]) - 20))
        failed = failed or bool(result["findings"]) or result["width"] != width or result["sections"] == 0
        if not generated:  # a picture of thousands of actions is no page to look at, and half the time
            chromium_run(chromium, work, max(width, 500),
                         ["--screenshot=" + os.path.join(work, "page_%d.png" % width), "file://" + shown])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
