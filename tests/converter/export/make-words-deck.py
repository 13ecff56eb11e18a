#!/usr/bin/env python3
"""Writes a flat ODF presentation whose words are known: titles, body text, a table, a group,
speaker notes, a picture with a description, right-to-left and hostile text, and links of every
kind (text fields and shape click actions, to a URL and to another slide). The office suite turns
it into the formats the converter reads; the words tests check what the converter reads back."""
import argparse
import base64
import struct
import zlib


def png_1x1():
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = zlib.compress(b"\x00\xff\x00\x00")
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", raw) + chunk(b"IEND", b""))


def frame(x, y, w, h, body, cls=None):
    role = f' presentation:class="{cls}"' if cls else ""
    return (f'<draw:frame{role} svg:x="{x}cm" svg:y="{y}cm" svg:width="{w}cm" svg:height="{h}cm">'
            f'<draw:text-box>{body}</draw:text-box></draw:frame>')


def notes(text):
    return ('<presentation:notes><draw:frame presentation:class="notes" svg:x="2cm" svg:y="14cm" '
            'svg:width="17cm" svg:height="10cm"><draw:text-box>'
            f'<text:p>{text}</text:p></draw:text-box></draw:frame></presentation:notes>')


def click(action, href):
    return (f'<office:event-listeners><presentation:event-listener script:event-name="dom:click" '
            f'presentation:action="{action}" xlink:href="{href}"/></office:event-listeners>')


SLIDES = [
    # 1: title, body with a URL field, a shape whose click jumps to slide 3, notes.
    frame(1.5, 1, 22, 3, "<text:p>Welcome words</text:p>", "title") +
    frame(1.5, 5, 22, 4, '<text:p>Read <text:a xlink:href="https://example.org/docs">the '
          'docs</text:a> first</text:p><text:p>Second paragraph</text:p>', "outline") +
    '<draw:rect svg:x="2.54cm" svg:y="15.24cm" svg:width="5.08cm" svg:height="1.905cm">' +
    click("show", "#Slide3") + '<text:p>Go to three</text:p></draw:rect>' +
    notes("Say hello first"),
    # 2: no title placeholder; a table, a group, a picture with a description, a text jump.
    frame(1.5, 1, 22, 2, "<text:p>Table slide</text:p>") +
    '<draw:frame svg:x="2cm" svg:y="4cm" svg:width="12cm" svg:height="3cm"><table:table>'
    '<table:table-column/><table:table-column/>'
    '<table:table-row><table:table-cell><text:p>Cell A1</text:p></table:table-cell>'
    '<table:table-cell><text:p>Cell B1</text:p></table:table-cell></table:table-row>'
    '<table:table-row><table:table-cell><text:p>Cell A2</text:p></table:table-cell>'
    '<table:table-cell><text:p>Cell B2</text:p></table:table-cell></table:table-row>'
    '</table:table></draw:frame>' +
    '<draw:g>' + frame(2, 9, 6, 2, "<text:p>Grouped one</text:p>") +
    frame(9, 9, 6, 2, '<text:p><text:a xlink:href="#Slide1">Back home</text:a></text:p>') +
    '</draw:g>' +
    '<draw:frame svg:x="16cm" svg:y="4cm" svg:width="4cm" svg:height="4cm">'
    '<draw:image><office:binary-data>' + base64.b64encode(png_1x1()).decode() +
    '</office:binary-data></draw:image><svg:title>Logo</svg:title>'
    '<svg:desc>A green square</svg:desc></draw:frame>',
    # 3: right-to-left and hostile text, a shape whose click opens a URL, a javascript: link.
    frame(1.5, 1, 22, 3, "<text:p>مرحبا بالعالم</text:p>", "title") +
    frame(1.5, 5, 22, 4, "<text:p>&lt;script&gt;alert(1)&lt;/script&gt; &amp; "
          '<text:a xlink:href="javascript:alert(2)">bad link</text:a></text:p>'
          "<text:p>quote \" back\\slash tab<text:tab/>end</text:p>", "outline") +
    '<draw:rect svg:x="12.7cm" svg:y="9.525cm" svg:width="2.54cm" svg:height="1.905cm">' +
    click("show", "https://example.com/shape") + '<text:p>Shape link</text:p></draw:rect>',
    # 4: nothing but a band and an empty title placeholder: no text at all.
    '<draw:frame presentation:class="title" presentation:placeholder="true" svg:x="1.5cm" '
    'svg:y="1cm" svg:width="22cm" svg:height="3cm"><draw:text-box/></draw:frame>'
    '<draw:rect svg:x="0cm" svg:y="15cm" svg:width="25.4cm" svg:height="4cm"/>' +
    '<presentation:notes><draw:frame presentation:class="notes" presentation:placeholder="true" '
    'svg:x="2cm" svg:y="14cm" svg:width="17cm" svg:height="10cm"><draw:text-box/></draw:frame>'
    '</presentation:notes>',
]


def deck():
    pages = "".join(
        f'<draw:page draw:name="Slide{n}" draw:master-page-name="Default">{body}</draw:page>'
        for n, body in enumerate(SLIDES, start=1))
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0"
 xmlns:script="urn:oasis:names:tc:opendocument:xmlns:script:1.0"
 xmlns:dom="http://www.w3.org/2001/xml-events"
 xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:meta>
  <dc:title>Known words</dc:title>
  <meta:initial-creator>Ada Lovelace</meta:initial-creator>
  <dc:creator>Ada Lovelace</dc:creator>
  <dc:language>en-GB</dc:language>
 </office:meta>
 <office:styles>
  <style:style style:name="standard" style:family="graphic">
   <style:text-properties fo:font-size="18pt"/>
  </style:style>
 </office:styles>
 <office:automatic-styles>
  <style:page-layout style:name="PM1">
   <style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:margin-left="0cm"
     fo:margin-right="0cm" fo:page-width="25.4cm" fo:page-height="19.05cm"
     style:print-orientation="landscape"/>
  </style:page-layout>
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Default" style:page-layout-name="PM1"/>
 </office:master-styles>
 <office:body>
  <office:presentation>{pages}
  </office:presentation>
 </office:body>
</office:document>
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("output")
    args = parser.parse_args()
    with open(args.output, "w", encoding="utf-8") as out:
        out.write(deck())


if __name__ == "__main__":
    main()
