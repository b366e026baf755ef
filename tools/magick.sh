#!/bin/sh
# ImageMagick's command, with the arguments given: magick in ImageMagick 7
# (which keeps convert only as an old name), convert in ImageMagick 6.
if command -v magick >/dev/null; then exec magick "$@"; fi
exec convert "$@"
