#!/usr/bin/env python3
"""Renders Help.html in headless Chromium, 1000 pixels wide, and checks what
a reader sees: a section for each of the six actions, and nothing wider than
the window or scrolling sideways.
  render_help.py HELP_HTML [CHROMIUM]"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ACTIONS = ["GetName", "GetXML", "GetLuaVersion", "GetAuthorInfo", "GetVersion", "GetInfo"]

# Runs in the page once it is laid out, and writes its findings into the DOM.
PROBE = """<script>
(function () {
  var findings = [];
  %s.forEach(function (id) {
    var heading = document.getElementById(id);
    if (!heading || heading.tagName != "H2" || heading.textContent.indexOf("ModuleDetails." + id) < 0)
      findings.push("no section for ModuleDetails." + id);
  });
  var width = window.innerWidth;
  if (document.documentElement.scrollWidth > width)
    findings.push("the page is " + document.documentElement.scrollWidth + " px wide in a " + width + " px window");
  document.querySelectorAll("body *").forEach(function (e) {
    if (e.scrollWidth > e.clientWidth + 1 && getComputedStyle(e).display != "inline")
      findings.push(e.tagName + " scrolls sideways: " + e.textContent.slice(0, 40));
  });
  var out = document.createElement("pre");
  out.id = "findings";
  out.textContent = JSON.stringify({width: width, findings: findings});
  document.body.appendChild(out);
})();
</script>""" % json.dumps(ACTIONS)


def main(argv):
    page = open(argv[0], "rb").read().decode("cp1252")
    chromium = argv[1] if len(argv) > 1 else shutil.which("chromium")
    work = tempfile.mkdtemp(prefix="md-help-")
    try:
        probe_page = os.path.join(work, "Help.html")
        with open(probe_page, "wb") as f:
            f.write(page.replace("</body>", PROBE + "\n</body>").encode("cp1252"))
        run = subprocess.run(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + os.path.join(work, "profile"), "--window-size=1000,800",
             "--virtual-time-budget=5000", "--dump-dom", "file://" + probe_page],
            capture_output=True, timeout=120)
        match = re.search(r'<pre id="findings">(.*?)</pre>', run.stdout.decode("utf-8", "replace"), re.S)
        if not match:
            print("Chromium gave no findings:\n" + run.stderr.decode("utf-8", "replace")[-2000:])
            return 1
        result = json.loads(match.group(1).replace("&quot;", '"').replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">"))
        print("rendered %d px wide" % result["width"])
        for finding in result["findings"]:
            print("FAIL  " + finding)
        return 1 if result["findings"] or result["width"] != 1000 else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
