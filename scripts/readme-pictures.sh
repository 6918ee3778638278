#!/usr/bin/env bash
# Takes every picture README shows fresh from the current build: runs the
# Windows tests that take them (the sample with its wizard on, the full
# test product's text pages, the copy page with a billboard) under 64-bit
# Wine in a fresh session and copies the pictures into docs/screenshots/.
# Usage: scripts/readme-pictures.sh [build-folder]   (after scripts/build.sh)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}
bin=$out/win-x86_64/bin
# The pictures README uses, and the tests that take them.
pictures="01-welcome 02-licence 03-readme 12-finish 50-sample-setup-type 51-sample-components
  52-sample-browse 53-sample-destination 54-sample-program-folder 55-sample-ready 40-copy-page-billboard"
rm -rf "$bin/screenshots"
(source "$src/scripts/wine-session.sh"
 cd "$bin"
 wine wizard_test.exe --gtest_filter='WizardWalkTest.FullProductWalksFromWelcomeToFinish:WizardSample.*'
 wine e2e_test.exe --gtest_filter='FinishingStepsTest.WizardShowsTheBillboardsAndAsksAboutTemplates')
mkdir -p "$src/docs/screenshots"
for picture in $pictures; do
  cp "$bin/screenshots/$picture.png" "$src/docs/screenshots/"
done
echo "README pictures taken into $src/docs/screenshots/: $(echo $pictures)"
