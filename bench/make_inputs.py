#!/usr/bin/env python3
"""Writes the benchmark's inputs, all Shift-JIS, into a cache folder.

    make_inputs.py CACHE_DIR CORPUS_DIR

Every input is made from a fixed seed, so that two runs measure the same bytes. An input is made
again only when its file is missing or when this script changed since it was made (the folder's
manifest records the script's SHA-256 and each input's size and SHA-256).
"""

import hashlib
import json
import os
import random
import sys

SEED = 20240611
MiB = 1 << 20
DOCUMENT_SIZE = 64 * MiB
CRLF = b"\r\n"


def sj(text):
    return text.encode("cp932")


# Words and phrases of the generated document, as Shift-JIS bytes. Some hold characters whose
# second byte is ASCII punctuation: 表 (0x95 0x5C, a backslash), 本 (0x96 0x7B, a brace), 図 (0x90
# 0x7D), ソ (0x83 0x5C), 能 (0x94 0x5C).
NOUNS = [sj(w) for w in (
    "本稿", "本研究", "提案手法", "従来手法", "実験", "結果", "図", "表", "性能", "計算量", "精度",
    "句読点", "文書", "組版", "日本語", "段落", "評価", "誤差", "モデル", "パラメータ", "ソフトウェア",
    "データ", "解析", "近似", "収束", "境界条件", "初期値", "数値計算", "理論", "仮定", "定理",
    "証明", "補題", "アルゴリズム", "入力", "出力", "処理", "速度", "メモリ", "機能", "表現",
)]
PARTICLES = [sj(w) for w in ("は", "が", "を", "に", "で", "と", "の", "から", "より", "も", "へ")]
VERBS = [sj(w) for w in (
    "示す", "述べる", "考える", "求めた", "比較する", "検討した", "得られる", "改善された",
    "用いる", "定義する", "導入した", "確認できる", "評価した", "安定する", "一致する",
)]
ENDINGS = [sj(w) for w in ("", "ことがわかる", "と考えられる", "ものとする", "必要がある",
                                "ことにする", "であろう", "ことを示した")]
CONNECTIVES = [sj(w) for w in ("しかし", "また", "さらに", "すなわち", "一方", "したがって",
                                    "例えば", "ここで", "なお", "特に")]
TITLES = [sj(w) for w in ("序論", "関連研究", "提案手法", "実験と評価", "考察", "結論",
                               "数値実験の設定", "理論的な背景", "今後の課題", "付録")]

# Things that stand inside a sentence: commands whose arguments stay as they are, inline math,
# ASCII numbers and words whose commas and full stops stay.
INLINE = [
    b"\\cite{tanaka2020,suzuki2021}", b"\\cite{a,b}", b"\\ref{fig.3}", b"\\ref{eq:1.2}",
    b"~\\ref{tab:2.1}", b"$x = 1,000$", b"$f(x) = a, b.$", b"$\\alpha_{i,j} = 3.14$",
    b"$y_{1}, y_{2}, \\ldots, y_{n}$", b"1,000", b"3.14", b"2.5", b"10,000,000", b"0.001",
    b"Fig. 3", b"e.g. this", b"Table 2", b"$O(n \\log n)$",
    b"\\textbf{" + sj("重要な点、つまり結論。") + b"}", b"\\textbf{" + sj("強調，") + b"}",
    b"\\footnote{" + sj("注，その1．") + b"}", b"\\emph{" + sj("新しい") + b"}",
]

# The pairs of marks a paragraph is written with; (comma, full stop). A paragraph keeps one style,
# as an author does, and the document mixes them, as a document assembled from several does.
STYLES = [
    (sj("、"), sj("。")),
    (sj("，"), sj("．")),
    (sj("、"), sj("．")),
    (b",", b"."),      # ASCII marks directly after Japanese text
    (sj("，"), b"."),
]


class DocumentWriter:
    """Writes a realistic pLaTeX document of paragraphs, math, lists and figures."""

    def __init__(self, rng):
        self.rng = rng
        self.parts = []
        self.size = 0
        self.equation = 0
        self.figure = 0

    def put(self, data):
        self.parts.append(data)
        self.size += len(data)

    def line(self, data=b""):
        self.put(data + CRLF)

    def clause(self):
        r = self.rng
        words = [r.choice(NOUNS), r.choice(PARTICLES)]
        if r.random() < 0.5:
            words += [r.choice(NOUNS), r.choice(PARTICLES)]
        if r.random() < 0.35:
            words.append(r.choice(INLINE))
            words.append(r.choice(PARTICLES))
        words.append(r.choice(VERBS))
        return b"".join(words)

    def sentence(self, style):
        r = self.rng
        comma, stop = style
        clauses = [self.clause() for _ in range(r.randint(1, 3))]
        head = r.choice(CONNECTIVES) + comma if r.random() < 0.3 else b""
        # A space after a mark now and then, as some authors type one.
        gap = b" " if r.random() < 0.1 else b""
        return head + (comma + gap).join(clauses) + r.choice(ENDINGS) + stop

    def paragraph(self):
        r = self.rng
        style = r.choice(STYLES)
        line = []
        for _ in range(r.randint(3, 8)):
            line.append(self.sentence(style))
            if r.random() < 0.4:
                self.line(b"".join(line))
                line = []
        if line:
            self.line(b"".join(line))
        self.line()

    def display_math(self):
        r = self.rng
        self.equation += 1
        kind = r.randrange(3)
        if kind == 0:
            self.line(b"\\[")
            self.line(b"  \\sum_{i=1}^{n} a_{i} = 1,000, \\quad b = 3.14.")
            self.line(b"\\]")
        elif kind == 1:
            self.line(b"\\begin{equation}")
            self.line(b"  f(x) = \\int_{0}^{1} g(x, t) \\, dt, \\label{eq:%d.%d}" %
                      (self.equation, r.randrange(10)))
            self.line(b"\\end{equation}")
        else:
            self.line(b"\\begin{align}")
            self.line(b"  a &= b + c, \\\\")
            self.line(b"  d &= e. \\label{eq:%d.1}" % self.equation)
            self.line(b"\\end{align}")

    def itemize(self):
        r = self.rng
        style = r.choice(STYLES)
        self.line(b"\\begin{itemize}")
        for _ in range(r.randint(2, 5)):
            self.line(b"\\item " + self.sentence(style))
        self.line(b"\\end{itemize}")

    def figure_block(self):
        r = self.rng
        self.figure += 1
        self.line(b"\\begin{figure}[tb]")
        self.line(b"  \\centering")
        self.line(b"  \\includegraphics[width=.5\\linewidth]{fig/a%d.eps}" % self.figure)
        self.line(b"  \\caption{" + self.sentence(r.choice(STYLES)) + b"}")
        self.line(b"  \\label{fig.%d}" % self.figure)
        self.line(b"\\end{figure}")

    def section(self, number):
        r = self.rng
        self.line(b"\\section{" + r.choice(TITLES) + b"}\\label{sec:%d}" % number)
        for _ in range(r.randint(3, 7)):
            self.paragraph()
            x = r.random()
            if x < 0.35:
                self.display_math()
            elif x < 0.5:
                self.itemize()
            elif x < 0.6:
                self.figure_block()

    def document(self, size):
        self.line(b"\\documentclass[a4paper]{jarticle}")
        self.line(b"\\usepackage{amsmath,graphicx}")
        self.line(b"\\title{" + sj("句読点の統一に関する研究") + b"}")
        self.line(b"\\author{" + sj("山田 太郎") + b"}")
        self.line(b"\\begin{document}")
        self.line(b"\\maketitle")
        number = 0
        while self.size < size:
            number += 1
            self.section(number)
        self.line(b"\\end{document}")
        return b"".join(self.parts)


def plain_japanese(rng, size):
    """Japanese text with only the four marks, no spaces, no ASCII but the line ends: the text on
    which the reference pass and tenmaru must agree byte for byte."""
    marks = [sj(m) for m in ("、", "。", "，", "．")]
    parts = []
    total = 0
    while total < size:
        words = []
        for _ in range(rng.randint(2, 6)):
            words.append(rng.choice(NOUNS) + rng.choice(PARTICLES) + rng.choice(VERBS))
            words.append(rng.choice(marks))
        piece = b"".join(words) + b"\n"
        parts.append(piece)
        total += len(piece)
    return b"".join(parts)


def generated_document(cache):
    path = os.path.join(cache, "generated.tex")
    if not os.path.exists(path):
        write(path, DocumentWriter(random.Random(SEED)).document(DOCUMENT_SIZE))
    with open(path, "rb") as f:
        return f.read()


def corpus_repeated(corpus):
    names = sorted(n for n in os.listdir(corpus) if n.endswith(".tex"))
    if not names:
        sys.exit(f"no .tex documents in {corpus}")
    joined = b""
    for name in names:
        with open(os.path.join(corpus, name), "rb") as f:
            joined += f.read()
    copies = max(1, round(DOCUMENT_SIZE / len(joined)))
    return joined * copies


def nested_braces(count):
    text = sj("入れ子の中の文、句読点。") * 4
    return b"\\foo" + b"{" * count + text + b"}" * count + CRLF


# name -> what it is, for the table.
INPUTS = {
    "generated.tex": "generated pLaTeX document",
    "corpus.tex": "corpus documents, repeated",
    "plain-lf.txt": "plain Japanese text, LF (sanity check)",
    "plain-crlf.txt": "plain Japanese text, CR LF (sanity check)",
    "hostile-long-name.tex": "one control sequence of 100 MiB",
    "hostile-unclosed-brace.tex": "\\foo{ and the generated document",
    "hostile-comma-spaces.tex": "a, 10 MiB of spaces b",
    "hostile-mark-blanks.tex": "\u3042\u3001 10 MiB of spaces and tabs",
    "hostile-nested-braces.tex": "\\foo and 10^6 nested braces",
}


def make(name, cache, corpus):
    if name == "generated.tex":
        return generated_document(cache)
    if name == "corpus.tex":
        return corpus_repeated(corpus)
    if name == "plain-lf.txt":
        return plain_japanese(random.Random(SEED + 1), MiB)
    if name == "plain-crlf.txt":
        return plain_japanese(random.Random(SEED + 1), MiB).replace(b"\n", CRLF)
    if name == "hostile-long-name.tex":
        return b"\\" + b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ" * (100 * MiB // 52) + CRLF
    if name == "hostile-unclosed-brace.tex":
        return b"\\foo{" + generated_document(cache)
    if name == "hostile-comma-spaces.tex":
        return b"a," + b" " * (10 * MiB) + b"b" + CRLF
    if name == "hostile-mark-blanks.tex":
        return sj("あ、") + b"  \t " * (10 * MiB // 4) + sj("い。") + CRLF
    if name == "hostile-nested-braces.tex":
        return nested_braces(1_000_000)
    raise KeyError(name)


def write(path, data):
    tmp = path + ".part"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main():
    cache, corpus = sys.argv[1], sys.argv[2]
    os.makedirs(cache, exist_ok=True)
    with open(__file__, "rb") as f:
        script_hash = hashlib.sha256(f.read()).hexdigest()
    manifest_path = os.path.join(cache, "manifest.json")
    manifest = {}
    if os.path.exists(manifest_path):
        with open(manifest_path) as f:
            manifest = json.load(f)
    if manifest.get("script") != script_hash:
        # Made by another version of this script: everything is made again.
        for name in INPUTS:
            if os.path.exists(os.path.join(cache, name)):
                os.remove(os.path.join(cache, name))
        manifest = {"script": script_hash, "inputs": {}}
    made = []
    for name, what in INPUTS.items():
        path = os.path.join(cache, name)
        if os.path.exists(path) and name in manifest["inputs"]:
            continue
        if not os.path.exists(path):
            write(path, make(name, cache, corpus))
        with open(path, "rb") as f:
            data = f.read()
        manifest["inputs"][name] = {
            "what": what,
            "size": len(data),
            "sha256": hashlib.sha256(data).hexdigest(),
        }
        made.append(name)
    with open(manifest_path, "w") as f:
        json.dump(manifest, f, indent=1)
    print(f"inputs in {cache}: " + (f"made {', '.join(made)}" if made else "all cached"))


if __name__ == "__main__":
    main()
