#!/usr/bin/python3
"""invoicesim: the test invoice-check web server, for the tests and the
training mode. Listens on 127.0.0.1 only and serves the four invoice-check
pages with a query form each; a query answers with a made-up result.

    invoicesim.py [--port N] [--link URL]

--port 0 (the default) takes any free port; the port is printed as
"invoicesim: listening on 127.0.0.1:PORT" on standard error. --link puts a
link to URL on every page (a link to another site, for the tests).
"""
import argparse
import html
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

PAGES = {
    "/zwjb/skfpcx.jsp": "税控发票",
    "/zwjb/zzsptfpcx.jsp": "增值税普通发票",
    "/zwjb/tydkfpcx.jsp": "统一代开发票",
    "/zwjb/qtptfpcx.jsp": "其他普通发票",
}

STYLE = """
body { font-family: sans-serif; margin: 24px; color: #1b2b3c; background: #f4f7fb; }
h1 { font-size: 20px; color: #1f5fa8; border-bottom: 2px solid #1f5fa8; padding-bottom: 6px; }
form { background: #fff; border: 1px solid #c9d6e6; padding: 16px; width: 420px; }
label { display: inline-block; width: 90px; }
input[type=text] { width: 260px; margin: 4px 0; }
.result { margin-top: 16px; padding: 12px; background: #fff; border-left: 4px solid #1f5fa8; width: 404px; }
.note { font-size: 12px; color: #5a6b7c; margin-top: 20px; }
"""


def result(code, number):
    if not (code.isdigit() and len(code) in (10, 12)) or not (number.isdigit() and len(number) == 8):
        return ("您输入的发票代码或发票号码格式有误，请核对后重新输入。", None)
    truth = "该发票已在税务机关登记，发票信息真实有效。"
    prize = "恭喜您中奖，奖金 10 元，请持发票到主管税务机关兑奖。" if number.endswith("8") else "很遗憾，本发票未中奖。"
    return (truth, prize)


def page(kind, query, link):
    code = query.get("fpdm", [""])[0].strip()
    number = query.get("fphm", [""])[0].strip()
    parts = [
        "<!DOCTYPE html><html lang='zh-CN'><head><meta charset='utf-8'>",
        f"<title>发票辨伪拍奖 - {kind}</title><style>{STYLE}</style>",
        "<script>window.rightClicks = 0;"
        "document.addEventListener('contextmenu', function () { window.rightClicks++; });</script>",
        "</head><body>",
        f"<h1>发票辨伪拍奖：{kind}查询</h1>",
        "<form method='get'>",
        f"<label for='fpdm'>发票代码：</label><input type='text' id='fpdm' name='fpdm' value='{html.escape(code)}'><br>",
        f"<label for='fphm'>发票号码：</label><input type='text' id='fphm' name='fphm' value='{html.escape(number)}'><br>",
        "<input type='submit' id='cx' value='查询'>",
        "</form>",
    ]
    if code or number:
        truth, prize = result(code, number)
        parts.append(f"<div class='result' id='result'><p>{truth}</p>")
        if prize:
            parts.append(f"<p>拍奖结果：{prize}</p>")
        parts.append("</div>")
    if link:
        parts.append(f"<p><a id='other' href='{html.escape(link)}'>其他网站</a></p>")
    parts.append("<p class='note'>本页面由培训用的发票查询模拟服务器提供，查询结果仅供练习。</p>")
    parts.append("</body></html>")
    return "".join(parts).encode("utf-8")


class Handler(BaseHTTPRequestHandler):
    link = None

    def do_GET(self):
        url = urlsplit(self.path)
        kind = PAGES.get(url.path)
        if kind is None:
            body = "<!DOCTYPE html><html><head><meta charset='utf-8'><title>404</title></head>" \
                   "<body>页面不存在</body></html>"
            self.reply(404, body.encode("utf-8"))
            return
        self.reply(200, page(kind, parse_qs(url.query), self.link))

    def reply(self, status, body):
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser(description="the test invoice-check web server")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--link", default=None)
    args = parser.parse_args()
    Handler.link = args.link
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    print(f"invoicesim: listening on 127.0.0.1:{server.server_address[1]}", file=sys.stderr,
          flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
