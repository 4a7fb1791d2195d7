import pytest

from tazu.cli import CommandError
from tazu.cli.subtitles import Cue, plain_text, read_vtt, srt_text, vtt_text


@pytest.mark.parametrize(
    "text, cues",
    [
        ("WEBVTT\n\n00:00:00.041 --> 00:00:01.323\n第一集\n", [Cue(0.041, 1.323, "第一集")]),
        # BOM, CRLF, a header title, identifiers, a note, short times, settings after the time
        ("\ufeffWEBVTT - 旁白\r\n\r\nNOTE made by hand\r\n\r\n1\r\n00:01.500 --> 00:02.250 line:90%\r\n"
         "今天\r\n\r\nb\r\n1:00:00.000 --> 1:00:01.000\r\n两行\r\n字幕\r\n",
         [Cue(1.5, 2.25, "今天"), Cue(3600.0, 3601.0, "两行\n字幕")]),
        ("WEBVTT\n", []),
        # markup: tags dropped, escaped characters given back
        ("WEBVTT\n\n00:00.000 --> 00:01.000\n<v 小红><i>A</i> &amp; B &lt;3\n", [Cue(0.0, 1.0, "A & B <3")]),
    ],
)
def test_cue_files_are_read(tmp_path, text, cues):
    p = tmp_path / "a.vtt"
    p.write_bytes(text.encode("utf-8"))
    assert read_vtt(str(p)) == cues


@pytest.mark.parametrize(
    "text, message",
    [
        ("00:00:00.000 --> 00:00:01.000\n好\n", "no WEBVTT header"),
        ("WEBVTT\n\n00:00:00,5 --> 00:00:01.000\n好\n", "bad cue time"),
        ("WEBVTT\n\n1\n好\n", "cue without a time line"),
    ],
)
def test_bad_cue_files_name_the_file(tmp_path, text, message):
    p = tmp_path / "a.vtt"
    p.write_text(text, encoding="utf-8")
    with pytest.raises(CommandError, match=message) as e:
        read_vtt(str(p))
    assert str(p) in str(e.value)


def test_sidecars_round_trip_and_number_their_cues(tmp_path):
    cues = [Cue(0.0406, 1.3234, "第一集"), Cue(3725.5, 3726.0, "很好！")]
    p = tmp_path / "e.vtt"
    p.write_text(vtt_text(cues), encoding="utf-8")
    assert read_vtt(str(p)) == [Cue(0.041, 1.323, "第一集"), Cue(3725.5, 3726.0, "很好！")]
    assert srt_text(cues).splitlines()[:3] == ["1", "00:00:00,041 --> 00:00:01,323", "第一集"]
    assert "01:02:05,500 --> 01:02:06,000" in srt_text(cues)


def test_cue_text_is_escaped_for_webvtt_only(tmp_path):
    cues = [Cue(0.0, 1.0, "A & B <3")]
    assert "A &amp; B &lt;3" in vtt_text(cues)
    assert "A & B <3" in srt_text(cues)
    p = tmp_path / "e.vtt"
    p.write_text(vtt_text(cues), encoding="utf-8")
    assert read_vtt(str(p)) == cues


@pytest.mark.parametrize("line, plain", [("今天<s>天气<s><s>很好！", "今天天气很好！"),
                                         ("<s>开头 <s>", "开头"), ("没有停顿", "没有停顿")])
def test_subtitle_text_drops_pause_marks(line, plain):
    assert plain_text(line) == plain
