#!/usr/bin/env python3
"""Writes a flat ODF presentation (.fodp) of N numbered slides, each with a title, a line of body
text and a coloured band, so that slide order and size are visible in every rendering. The office
suite turns it into .pptx, .ppt and the other formats the converter reads."""
import argparse
import html

PALETTE = ["#2d6cdf", "#e0533d", "#2fa36b", "#d9a21b", "#7a4fd1", "#1f9bb4"]


def slide(number, width_cm, height_cm):
    colour = PALETTE[(number - 1) % len(PALETTE)]
    band_h = height_cm * 0.18
    return f"""
   <draw:page draw:name="Slide{number}" draw:master-page-name="Default">
    <draw:rect draw:style-name="band{(number - 1) % len(PALETTE)}" svg:x="0cm" svg:y="{height_cm - band_h:.2f}cm"
      svg:width="{width_cm:.2f}cm" svg:height="{band_h:.2f}cm"/>
    <draw:frame presentation:class="title" presentation:style-name="title" draw:layer="layout" svg:x="1.5cm" svg:y="1.5cm"
      svg:width="{width_cm - 3:.2f}cm" svg:height="3cm">
     <draw:text-box><text:p>Slide {number}</text:p></draw:text-box>
    </draw:frame>
    <draw:frame presentation:class="outline" presentation:style-name="body" draw:layer="layout" svg:x="1.5cm" svg:y="5.5cm"
      svg:width="{width_cm - 3:.2f}cm" svg:height="{height_cm * 0.4:.2f}cm">
     <draw:text-box><text:list><text:list-item><text:p>{html.escape(f"Point {number} in {colour}")}</text:p></text:list-item></text:list></draw:text-box>
    </draw:frame>
   </draw:page>"""


def deck(slides, width_cm, height_cm):
    bands = "".join(
        f"""
  <style:style style:name="band{i}" style:family="graphic">
   <style:graphic-properties draw:fill="solid" draw:fill-color="{c}" draw:stroke="none"/>
  </style:style>"""
        for i, c in enumerate(PALETTE))
    pages = "".join(slide(n, width_cm, height_cm) for n in range(1, slides + 1))
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:styles>
  <style:style style:name="standard" style:family="graphic">
   <style:text-properties fo:font-size="28pt"/>
  </style:style>
 </office:styles>
 <office:automatic-styles>
  <style:page-layout style:name="PM1">
   <style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:margin-left="0cm"
     fo:margin-right="0cm" fo:page-width="{width_cm:.2f}cm" fo:page-height="{height_cm:.2f}cm"
     style:print-orientation="landscape"/>
  </style:page-layout>
  <style:style style:name="title" style:family="presentation">
   <style:graphic-properties draw:fill="none" draw:stroke="none"/>
   <style:text-properties fo:font-size="44pt" fo:font-weight="bold" fo:color="#1b2430"/>
  </style:style>
  <style:style style:name="body" style:family="presentation">
   <style:graphic-properties draw:fill="none" draw:stroke="none"/>
   <style:text-properties fo:font-size="28pt" fo:color="#3b4656"/>
  </style:style>{bands}
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
    parser.add_argument("--slides", type=int, default=4)
    parser.add_argument("--wide", action="store_true", help="16:9 instead of 4:3")
    args = parser.parse_args()
    # 4:3 is 10 in x 7.5 in; 16:9 is 13.333 in x 7.5 in.
    width_cm, height_cm = (33.867, 19.05) if args.wide else (25.4, 19.05)
    with open(args.output, "w", encoding="utf-8") as out:
        out.write(deck(args.slides, width_cm, height_cm))


if __name__ == "__main__":
    main()
