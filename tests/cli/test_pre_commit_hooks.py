"""The repository's pre-commit hook manifest, as pre-commit itself validates it."""

import subprocess
import sys

import pytest

from conftest import REPO

pytest.importorskip("pre_commit")


def test_hook_manifest_validates():
    result = subprocess.run(
        [sys.executable, "-m", "pre_commit", "validate-manifest", str(REPO / ".pre-commit-hooks.yaml")],
        capture_output=True,
        text=True,
        timeout=120,
    )
    assert result.returncode == 0, result.stdout + result.stderr
