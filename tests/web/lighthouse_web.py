#!/usr/bin/python3
"""Lighthouse (its mobile preset, as installed by `make lighthouse-web`) on the built site, served
as static hosts serve it (gzip): the four scores and the metrics behind performance, and the
audits that cost points. Reported, never asserted.

    lighthouse_web.py WEB_BUILD LIGHTHOUSE_BIN
"""

import json
import os
import subprocess
import sys

from browser import CHROMIUM_FLAGS, Server

METRICS = ["first-contentful-paint", "largest-contentful-paint", "total-blocking-time",
           "cumulative-layout-shift", "speed-index", "interactive", "max-potential-fid"]


def main():
    web_build, lighthouse = os.path.abspath(sys.argv[1]), sys.argv[2]
    report = os.path.join(web_build, "lighthouse-report.json")
    server = Server(web_build)
    flags = [f for f in CHROMIUM_FLAGS if not f.startswith("--autoplay")]
    try:
        subprocess.run([lighthouse, server.url + "/site/index.html", "--quiet", "--output=json",
                        "--output-path=" + report,
                        "--only-categories=performance,accessibility,best-practices,seo",
                        "--chrome-flags=" + " ".join(flags)],
                       env={**os.environ, "CHROME_PATH": "/usr/bin/chromium"}, check=True)
    finally:
        server.close()
    with open(report, encoding="utf-8") as f:
        result = json.load(f)
    print("Lighthouse %s, %s, %s throttling (load average %.1f)" % (
        result["lighthouseVersion"], result["configSettings"]["formFactor"],
        result["configSettings"]["throttlingMethod"], os.getloadavg()[0]))
    for key, category in result["categories"].items():
        print("  %-16s %.2f" % (key, category["score"]))
    audits = result["audits"]
    print("performance metrics")
    for key in METRICS:
        if key in audits:
            print("  %-26s %-10s score %.2f" % (key, audits[key].get("displayValue", ""),
                                               audits[key]["score"] or 0))
    print("audits below full marks (scored)")
    for key, category in result["categories"].items():
        for ref in category["auditRefs"]:
            audit = audits[ref["id"]]
            if ref["weight"] > 0 and audit["score"] is not None and audit["score"] < 1:
                print("  %-16s %-34s %.2f %s" % (key, ref["id"], audit["score"],
                                                 audit.get("displayValue", "")))
    long_tasks = audits.get("long-tasks", {}).get("details", {}).get("items", [])
    if long_tasks:
        print("long tasks (ms): " + " ".join("%.0f" % t["duration"] for t in long_tasks[:8]))
    print("report: " + report)


if __name__ == "__main__":
    main()
