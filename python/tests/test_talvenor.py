"""The Python module against the built-in edition and the test edition."""
import os
import pathlib
import shutil

import numpy as np
import pytest

import talvenor

DATA = pathlib.Path(os.environ.get("TALVENOR_TEST_DATA", pathlib.Path(__file__).parents[2] / "tests" / "data"))
EXAMPLES = pathlib.Path(os.environ.get("TALVENOR_EXAMPLES", pathlib.Path(__file__).parents[2] / "examples"))

ACCOUNTS = [
    ("37050198", "1234567897"),
    ("37050198", "1234567890"),
    ("10020500", "4711"),
    ("50010517", "648479930"),
    ("20041111", "9290701"),
    ("70090100", "1234567"),
]


def test_convert_gives_named_fields_and_the_edition():
    c = talvenor.convert("37050198", "1234567897")
    assert c.iban == "DE98370501981234567897"
    assert c.bic == "COLSDE33XXX"
    assert c.result_code == 0
    assert c.bank_name
    assert c.verdict
    assert c.edition == "2024-03-04"
    assert c.expired  # converted all the same
    assert "DE98370501981234567897" in repr(c)


@pytest.mark.parametrize("bank_code", ["", "1234567", "123456789", "3705019x", "00000000"])
def test_convert_raises_value_error_with_the_german_message(bank_code):
    with pytest.raises(ValueError, match="gültige Bankleitzahl"):
        talvenor.convert(bank_code, "1234567897")


def test_convert_without_account_raises():
    with pytest.raises(ValueError, match="Kontonummer ein"):
        talvenor.convert("37050198", "")


def test_check_iban():
    good = talvenor.check_iban("DE98 3705 0198 1234 5678 97")
    assert good.plausible and good.code == 80 and good.result_code == 80
    assert good.bic == "COLSDE33XXX"
    assert talvenor.check_iban("DE03370501981234567897").code == 84
    bad = talvenor.check_iban("kein IBAN")
    assert bad.code == 82 and not bad.plausible and bad.verdict


def test_verify():
    assert talvenor.verify("00", "1234567897").valid
    assert talvenor.verify("00", "1234567890").result == 0
    assert talvenor.verify("00", "0").result == -1
    with pytest.raises(ValueError, match="Prüfziffermethode"):
        talvenor.verify("F9", "1234567897")
    with pytest.raises(ValueError):
        talvenor.verify("", "1234567897")


def test_editions_and_loading_a_file(tmp_path):
    [builtin] = talvenor.editions()
    assert builtin.origin == "builtin" and builtin.usable and builtin.in_force
    assert builtin.bank_codes == 3544 and builtin.valid_until == "2024-06-02"
    assert talvenor.edition_in_force().valid_from == "2024-03-04"
    lib = talvenor.load_edition(str(DATA / "blz_2026_06_08.txt"))
    assert lib.edition.valid_from == "2026-06-08"
    assert lib.edition.origin == "file"
    assert lib.convert("37050198", "1234567897").edition == "2026-06-08"
    with pytest.raises(ValueError):
        talvenor.load_edition(str(tmp_path / "blz_2026_06_08.txt"))
    undated = tmp_path / "blz.txt"
    undated.write_bytes((DATA / "blz_2026_06_08.txt").read_bytes())
    with pytest.raises(ValueError, match="--valid-from"):
        talvenor.load_edition(str(undated))
    assert talvenor.load_edition(str(undated), valid_from="2026-06-08").edition.bank_codes > 0


def test_editions_as_of_and_warnings_about_unreadable_editions(tmp_path, monkeypatch):
    folder = tmp_path / "Korvane" / "Talvenor"
    folder.mkdir(parents=True)
    shutil.copy(DATA / "blz_2026_06_08.txt", folder / "blz_2026_06_08.txt")
    (folder / "blz_2026_09_07.txt").write_bytes(b"kaputt\r\n")
    monkeypatch.setenv("XDG_DATA_HOME", str(tmp_path))
    builtin, june, september = talvenor.editions(as_of="2026-07-01")
    assert builtin.valid_until == "2024-06-02" and not builtin.in_force
    assert june.in_force and june.bank_codes == 3503 and june.valid_until == "2026-09-06"
    assert not september.usable and "fehlerhaft" in september.error
    # The unreadable edition is passed over, and Python is told so.
    with pytest.warns(UserWarning, match="fehlerhaft"):
        lib = talvenor.load_edition(as_of="2026-10-01")
    assert lib.edition.valid_from == "2026-06-08" and lib.expired
    with pytest.raises(ValueError, match="JJJJ-MM-TT"):
        talvenor.editions(as_of="2026-02-30")


def test_convert_many_agrees_with_convert_for_lists_and_arrays():
    codes = [c for c, _ in ACCOUNTS] + ["99999999", "bad", ""]
    accounts = [a for _, a in ACCOUNTS] + ["1234567897", "1", "1"]
    for make in (list, lambda v: np.array(v), lambda v: np.array(v, dtype=object),
                 lambda v: np.array([s.encode() for s in v])):
        out = talvenor.convert_many(make(codes), make(accounts), bank_names=True)
        for i, (code, account) in enumerate(ACCOUNTS):
            single = talvenor.convert(code, account)
            assert out["iban"][i] == single.iban
            assert out["bic"][i] == single.bic
            assert out["result_code"][i] == single.result_code
            assert out["bank_name"][i] == single.bank_name
            assert out["found"][i]
        for i in range(len(ACCOUNTS), len(codes)):
            assert not out["found"][i]
            assert out["result_code"][i] == 10
            assert out["iban"][i] == ""


def test_convert_many_refuses_mismatched_or_wrong_input():
    with pytest.raises(ValueError, match="verschieden lang"):
        talvenor.convert_many(["37050198"], [])
    with pytest.raises(TypeError):
        talvenor.convert_many([37050198], ["1234567897"])
    with pytest.raises(TypeError):
        talvenor.convert_many(np.array([37050198]), np.array([1234567897]))
    # Characters outside ASCII are refused, not cut down to something valid.
    out = talvenor.convert_many(np.array(["3705019８"]), np.array(["1234567897"]))
    assert not out["found"][0]
    empty = talvenor.convert_many([], [])
    assert len(empty["iban"]) == 0


def test_convert_file_and_its_failure(tmp_path):
    output = tmp_path / "IBANRUECK.txt"
    result = talvenor.convert_file(str(EXAMPLES / "IBANHIN.txt"), str(output), threads=1)
    assert result.succeeded and output.stat().st_size > 0
    kept = tmp_path / "kept.txt"
    kept.write_text("old")
    with pytest.raises(talvenor.FileConversionError) as failure:
        talvenor.convert_file(str(tmp_path / "missing.txt"), str(kept))
    assert str(failure.value)
    assert isinstance(failure.value, RuntimeError)
    assert kept.read_text() == "old"
