#!/usr/bin/env python3
"""The guide checker finds each kind of fault in a small guide of its own, and passes a sound one."""
import pathlib
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import check_guide  # noqa: E402

PNG = b"\x89PNG\r\n\x1a\n" + b"\0\0\0\x0dIHDR" + struct.pack(">II", 40, 30) + b"\0" * 9
SOUND = ('<h2 id="a">A</h2><a href="#a">A</a><a href="two.html#b">B</a>'
         '<img src="img/x.png" alt="" width="40" height="30">')

FAULTS = {
    "missing picture": '<img src="img/gone.png" alt="">',
    "missing page": '<a href="three.html">C</a>',
    "missing anchor": '<a href="two.html#nowhere">C</a>',
    "outside picture": '<img src="https://example.org/x.png" alt="">',
    "outside style sheet": '<link rel="stylesheet" href="//example.org/s.css">',
    "script": "<script>alert(1)</script>",
    "leaves the guide": '<a href="../outside.html">C</a>',
    "stale size": '<img src="img/x.png" alt="" width="40" height="31">',
}


class CheckGuideTest(unittest.TestCase):
    def guide(self, extra, picture=PNG):
        root = pathlib.Path(self.enterContext(tempfile.TemporaryDirectory()))
        folder = root / "guide"
        (folder / "img").mkdir(parents=True)
        (folder / "img" / "x.png").write_bytes(picture)
        (folder / "index.html").write_text(SOUND + extra, encoding="utf-8")
        (folder / "two.html").write_text('<p id="b">B</p>', encoding="utf-8")
        (root / "outside.html").write_text("", encoding="utf-8")
        return folder

    def test_a_sound_guide_passes(self):
        self.assertEqual(check_guide.check(self.guide("")), [])

    def test_each_fault_is_found(self):
        for name, extra in FAULTS.items():
            with self.subTest(name):
                problems = check_guide.check(self.guide(extra))
                self.assertEqual(len(problems), 1, problems)

    def test_pictures_must_be_small_pngs_that_a_page_shows(self):
        self.assertEqual(len(check_guide.check(self.guide("", picture=b"GIF89a"))), 1)
        big = PNG + b"\0" * check_guide.MAX_PICTURE_BYTES
        self.assertEqual(len(check_guide.check(self.guide("", picture=big))), 1)
        folder = self.guide("")
        (folder / "img" / "unused.png").write_bytes(PNG)
        self.assertEqual(len(check_guide.check(folder)), 1)


if __name__ == "__main__":
    unittest.main()
