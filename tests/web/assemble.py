"""Makes the one-file page from the template as web.sh does: each
'<!-- inline: NAME -->' line becomes NAME's text in <style> or <script>."""
import pathlib
import re
import sys


def assemble(template, files):
    def inline(match):
        text = pathlib.Path(files[match.group(1)]).read_text().replace("</script", "<\\/script")
        tag = "style" if match.group(1).endswith(".css") else "script"
        return f"<{tag}>\n{text}\n</{tag}>"
    return re.sub(r"^<!-- inline: (\S+) -->$", inline, pathlib.Path(template).read_text(), flags=re.M)


if __name__ == "__main__":
    # assemble.py MODULE.js OUT.html, from the web/ folder next to tests/
    web = pathlib.Path(__file__).resolve().parents[2] / "web"
    page = assemble(web / "chaosgame.html",
                    {"style.css": web / "style.css", "app.js": web / "app.js", "module": sys.argv[1]})
    pathlib.Path(sys.argv[2]).write_text(page)
