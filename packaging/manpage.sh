#!/usr/bin/env bash
# Writes the manual page marquel(1) from the program's own --version and --help.
# Usage: manpage.sh <program> <output file>
set -euo pipefail
program=$1
out=$2
version=$("$program" --version | sed -n 's/.*版本 //p')
# The help's last line names this build's own database; the page says where it is in general.
help=$("$program" --help | grep -v '^这里的默认数据库：')
escape() { sed -e 's/\\/\\e/g' -e 's/^\([.'"'"']\)/\\\&\1/'; }
{
  echo ".TH MARQUEL 1 \"\" \"Marquel $version\" \"User Commands\""
  echo ".SH NAME"
  echo "marquel \\- 营销活动评估系统 (direct-marketing campaign evaluation)"
  echo ".SH SYNOPSIS"
  echo ".B marquel"
  echo "[\\fB\\-\\-database\\fR \\fIlocation\\fR] | \\fB\\-\\-copy\\-database\\fR \\fIfrom\\fR \\fIto\\fR | \\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR"
  echo ".SH DESCRIPTION"
  echo "Marquel evaluates direct-marketing campaigns: plans, their targets, every response and the charts and reports made of them."
  echo "Its interface is in Simplified Chinese. What \\fBmarquel \\-\\-help\\fR prints:"
  echo ".PP"
  echo ".nf"
  printf '%s\n' "$help" | escape
  echo ".fi"
  echo ".SH FILES"
  echo ".TP"
  echo ".I \$XDG_DATA_HOME/Marquel/Tembra_Estimation.db"
  echo "The user's own database (usually ~/.local/share/Marquel/), made at the first start; the export database and the lock file are beside it."
  echo ".TP"
  echo ".I /usr/share/marquel/Tembra_Estimation.db"
  echo "The empty database every user's own is made from, and the schema, schema.sql."
} > "$out"
