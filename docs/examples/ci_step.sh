#!/bin/sh
# A CI step for a plugin: annotations for every finding, a SARIF log for
# code scanning, and a verdict from mdhost's exit codes alone. MDHOST runs
# mdhost (e.g. "wine mdhost.exe"); PLUGIN is the module just built; RELEASE,
# where given, the module of the last release (its scripts must not break
# unless the new version is a major release).
#   MDHOST=mdhost PLUGIN=build/My.lmd RELEASE=release/My.lmd sh ci_step.sh
status=0
$MDHOST check --strict --format github "$PLUGIN" || status=$?
$MDHOST check --strict --format sarif "$PLUGIN" >mdhost.sarif || true # the verdict is the line above's
if [ -n "$RELEASE" ]; then
  $MDHOST diff --format github "$RELEASE" "$PLUGIN" || status=$?
fi
exit $status
