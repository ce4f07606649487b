#!/usr/bin/env bash
# Runs a command on a private D-Bus session bus that offers no keyring (see with-keyring.sh).
exec bash "$(dirname "$0")/with-keyring.sh" --no-secret-service "$@"
