"""Checks the help document: UTF-8 with a charset declaration, balanced tags, unique ids,
every in-page link pointing at an id, and nothing loaded from the network."""
import sys
from html.parser import HTMLParser

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source",
        "track", "wbr"}


class Checker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.ids = []
        self.links = []
        self.problems = []
        self.charset = False
        self.headings = 0

    def where(self):
        line, col = self.getpos()
        return f"line {line}"

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "meta" and attrs.get("charset", "").lower() == "utf-8":
            self.charset = True
        if "id" in attrs:
            self.ids.append(attrs["id"])
        if tag == "a" and "href" in attrs:
            self.links.append((attrs["href"], self.where()))
        for name in ("src", "href"):
            value = attrs.get(name, "")
            if tag != "a" and value:
                self.problems.append(f"{self.where()}: <{tag} {name}=...> loads a resource")
            if "://" in value or value.startswith("//"):
                self.problems.append(f"{self.where()}: network address {value}")
        if tag in ("h1", "h2"):
            self.headings += 1
        if tag not in VOID:
            self.stack.append((tag, self.where()))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.stack.pop()

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack or self.stack[-1][0] != tag:
            opened = self.stack[-1] if self.stack else ("nothing", "")
            self.problems.append(f"{self.where()}: </{tag}> closes <{opened[0]}> of {opened[1]}")
            return
        self.stack.pop()


def main(path):
    raw = open(path, "rb").read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        print(f"FAIL: not UTF-8: {error}")
        return 1
    checker = Checker()
    checker.feed(text)
    checker.close()
    problems = list(checker.problems)
    problems += [f"unclosed <{tag}> of {where}" for tag, where in checker.stack]
    if not checker.charset:
        problems.append('no <meta charset="utf-8">')
    duplicates = {i for i in checker.ids if checker.ids.count(i) > 1}
    problems += [f"duplicate id {i}" for i in sorted(duplicates)]
    ids = set(checker.ids)
    local = [(href, where) for href, where in checker.links if href.startswith("#")]
    problems += [f"{where}: link {href} has no target" for href, where in local
                 if href[1:] not in ids]
    problems += [f"{where}: link {href} leaves the page" for href, where in checker.links
                 if not href.startswith("#")]
    if len(local) < 10:
        problems.append(f"only {len(local)} in-page links: the table of contents is missing")
    if checker.headings < 5:
        problems.append("fewer than five headings")
    for problem in problems:
        print("FAIL:", problem)
    if not problems:
        print(f"help document ok: {len(ids)} ids, {len(local)} in-page links")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
