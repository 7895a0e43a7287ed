#!/usr/bin/env python3
"""Writes a news page of about SIZE bytes to PATH: indented markup, links,
entities, comments, a script, CR LF line ends (the benchmarks' ordinary page)."""
import random
import sys

WORDS = ("market shares rose after the report on Monday council votes weather storm "
         "coast league final score minister said new plan prices of oil fell").split()


def main():
    path, size = sys.argv[1], int(sys.argv[2])
    rng = random.Random(2026)
    word = lambda: rng.choice(WORDS)
    sentence = lambda: " ".join(word() for _ in range(5 + rng.randrange(12)))
    parts = ["<html>\r\n<head>\r\n<title>Daily News</title>\r\n<script>\r\n<!--\r\n"
             "  // menu rollover\r\n  function hi(n) { return n; }\r\n// -->\r\n</script>\r\n"
             "</head>\r\n<body bgcolor=\"#FFFFFF\">\r\n"]
    total, story = len(parts[0]), 0
    while total < size:
        story += 1
        s = ("<table width=\"100%%\"><tr>\r\n\t<td valign=top><a href=\"/story/%d.htm\"><b>%s"
             "</b></a>&nbsp;|&nbsp;<font size=2>%s &amp; %s</font><br>\r\n"
             "\t<p>%s, &quot;%s&quot; %s.</p>\r\n" %
             (story, sentence(), word(), word(), sentence(), sentence(), sentence()))
        if story % 5 == 0:
            s += "<!-- advertisement %d -->\r\n" % story
        if story % 7 == 0:
            s += "\t<p>[%s] &copy; 1998 &#151; %s</p>\r\n" % (word(), sentence())
        s += "</td></tr></table>\r\n"
        parts.append(s)
        total += len(s)
    parts.append("</body>\r\n</html>\r\n")
    with open(path, "w", newline="") as f:
        f.write("".join(parts))


main()
