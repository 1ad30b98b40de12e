#!/usr/bin/env python3
"""Local stand-in for the CloudKit Web Services calls the CloudKit store makes.

Serves the private database of one container/environment on 127.0.0.1:
records/lookup, records/modify and assets/upload, the public database's
users/caller (who signed in), plus the sign-in redirect, the
asset upload and download URLs and a few /_control/ endpoints that tests use to
inspect state and inject failures. Prints "PORT <n>" once listening and exits
when stdin closes or on SIGTERM, so a test that dies takes the server with it.

Standard library only. Nothing here logs tokens: the request line carries them.
"""

import argparse
import base64
import hashlib
import json
import os
import secrets
import signal
import sys
import threading
import time
import uuid
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, quote, unquote, urlsplit

MIB = 1024 * 1024
JSON_BODY_LIMIT = MIB
RECORD_LIMIT = 1_000_000          # "1 MB" without assets; kept below the body cap so it can be hit
UPLOAD_LIMIT = 15 * MIB
DRAIN_LIMIT = 64 * MIB            # beyond this we close the connection instead of reading
UPLOAD_URL_TTL = 15 * 60
RECEIPT_TTL = 15 * 60
TOKEN_TTL = 30 * 60
MAX_ITEMS = 200

STATUS = {
    "ACCESS_DENIED": 403, "ATOMIC_ERROR": 400, "AUTHENTICATION_FAILED": 401,
    "AUTHENTICATION_REQUIRED": 421, "BAD_REQUEST": 400, "CONFLICT": 409, "EXISTS": 409,
    "INTERNAL_ERROR": 500, "NOT_FOUND": 404, "QUOTA_EXCEEDED": 413, "THROTTLED": 429,
    "TRY_AGAIN_LATER": 503, "VALIDATING_REFERENCE_ERROR": 412, "ZONE_NOT_FOUND": 404,
}
DATABASE_OPERATIONS = {"records/lookup": "lookup", "records/modify": "modify",
                       "assets/upload": "upload"}
FAILABLE = {"lookup", "modify", "upload", "upload-file", "download", "any"}
OPERATION_TYPES = {"create", "update", "forceUpdate", "replace", "forceReplace",
                   "delete", "forceDelete"}
ASSET_KEYS = ("wrappingKey", "fileChecksum", "referenceChecksum", "size")


def b64(data):
    return base64.b64encode(data).decode("ascii")


def error_dict(code, reason, **extra):
    body = {"uuid": str(uuid.uuid4()), "serverErrorCode": code, "reason": reason}
    body.update({key: value for key, value in extra.items() if value is not None})
    return body


class ApiError(Exception):
    """Whole-request failure: answered as a top-level error dictionary."""

    def __init__(self, code, reason, status=None, headers=(), **extra):
        super().__init__(reason)
        self.status = status or STATUS.get(code, 500)
        self.headers = list(headers)
        self.body = error_dict(code, reason, **extra)


class RecordError(Exception):
    """Failure of one record inside a lookup or modify; the request itself succeeds."""

    def __init__(self, code, reason):
        super().__init__(reason)
        self.code, self.reason = code, reason


def new_web_auth_token():
    # Always contains ':', '+', '/' and '=' so a client that skips URL encoding fails.
    return "wat:" + b64(os.urandom(18)) + "+/" + b64(os.urandom(4))


def record_size(fields):
    plain = {name: field for name, field in fields.items() if field.get("type") != "ASSETID"}
    return len(json.dumps(plain, separators=(",", ":")).encode("utf-8"))


class Store:
    """All mutable state; every method expects the caller to hold self.lock."""

    def __init__(self, args):
        self.lock = threading.Lock()
        self.rotate = args.rotate_tokens
        self.base = ""
        self.user = "_" + hashlib.md5(args.container.encode()).hexdigest()
        self.tokens = {}       # web auth token -> expiry (monotonic)
        self.records = {}      # recordName -> stored record
        self.slots = {}        # upload URL id -> what the token request asked for
        self.receipts = {}     # receipt -> uploaded asset, until a modify consumes it
        self.assets = {}       # asset id -> bytes
        self.failures = []
        self.log = []

    # --- web auth tokens -------------------------------------------------

    def issue_token(self):
        token = new_web_auth_token()
        self.tokens[token] = time.monotonic() + TOKEN_TTL
        return token

    def use_token(self, token):
        """Returns (valid, replacement). With rotation the used token dies here."""
        expiry = self.tokens.get(token) if token else None
        if expiry is None or expiry < time.monotonic():
            self.tokens.pop(token, None)
            return False, None
        if not self.rotate:
            return True, None
        del self.tokens[token]
        return True, self.issue_token()

    def take_failure(self, operation):
        for index, failure in enumerate(self.failures):
            if failure["operation"] in (operation, "any"):
                return self.failures.pop(index)
        return None

    # --- records ---------------------------------------------------------

    def stamp(self, device="iCloud"):
        return {"timestamp": int(time.time() * 1000), "userRecordName": self.user,
                "deviceID": device}

    def render(self, record, keys=None):
        fields = {}
        for name, field in record["fields"].items():
            if keys is not None and name not in keys:
                continue
            if field.get("type") == "ASSETID":
                value = {key: field["value"][key] for key in ASSET_KEYS}
                value["downloadURL"] = f"{self.base}/asset/{field['value']['assetId']}"
                fields[name] = {"value": value, "type": "ASSETID"}
            else:
                fields[name] = dict(field)
        rendered = {key: record[key] for key in
                    ("recordName", "recordType", "recordChangeTag", "created", "modified")}
        rendered["fields"] = fields
        return rendered

    @staticmethod
    def items(body, key):
        """The request's list under key, after the zone and size checks every endpoint shares."""
        zone = body.get("zoneID")
        if zone is not None and (not isinstance(zone, dict)
                                 or zone.get("zoneName", "_defaultZone") != "_defaultZone"):
            raise ApiError("ZONE_NOT_FOUND", "only the default zone exists")
        values = body.get(key)
        if not isinstance(values, list):
            raise ApiError("BAD_REQUEST", f"{key} is required")
        if len(values) > MAX_ITEMS:
            raise ApiError("BAD_REQUEST", f"at most {MAX_ITEMS} {key} per request")
        return values

    def lookup(self, body):
        results = []
        for item in self.items(body, "records"):
            name = item.get("recordName") if isinstance(item, dict) else None
            if not isinstance(name, str) or not name:
                results.append(error_dict("BAD_REQUEST", "recordName is required"))
            elif name not in self.records:
                results.append(error_dict("NOT_FOUND", "Record not found", recordName=name))
            else:
                keys = item.get("desiredKeys", body.get("desiredKeys"))
                results.append(self.render(self.records[name], keys))
        return {"records": results}

    def modify(self, body):
        operations = self.items(body, "operations")
        names = [self.operation_name(op) for op in operations]
        named = [name for name in names if name]
        if len(named) != len(set(named)):
            raise ApiError("BAD_REQUEST", "only one operation per record is allowed")
        # "atomic" only applies to custom zones, so in the default zone each
        # operation stands alone and reports its own error.
        results = []
        for op, name in zip(operations, names):
            try:
                record = self.apply(op)
                if record.get("deleted"):
                    results.append(record)
                else:
                    keys = op.get("desiredKeys", body.get("desiredKeys"))
                    results.append(self.render(record, keys))
            except RecordError as err:
                results.append(error_dict(err.code, err.reason, recordName=name))
        return {"records": results}

    @staticmethod
    def operation_name(op):
        record = op.get("record") if isinstance(op, dict) else None
        name = record.get("recordName") if isinstance(record, dict) else None
        return name if isinstance(name, str) and name else None

    def apply(self, op):
        if not isinstance(op, dict) or not isinstance(op.get("record"), dict):
            raise RecordError("BAD_REQUEST", "each operation needs a record dictionary")
        kind, record = op.get("operationType"), op["record"]
        if kind not in OPERATION_TYPES:
            raise RecordError("BAD_REQUEST", f"unknown operationType {kind!r}")
        name = self.operation_name(op)
        if name is None and kind == "create":
            name = str(uuid.uuid4()).upper()
        if name is None:
            raise RecordError("BAD_REQUEST", "recordName is required")
        current = self.records.get(name)

        if kind in ("update", "replace", "delete"):
            if current is None:
                raise RecordError("NOT_FOUND", "Record not found")
            tag = record.get("recordChangeTag")
            if not tag:
                raise RecordError("BAD_REQUEST", f"recordChangeTag is required for {kind}")
            if tag != current["recordChangeTag"]:
                raise RecordError("CONFLICT", "record was changed since that recordChangeTag")
        if kind in ("delete", "forceDelete"):
            if current is None:
                raise RecordError("NOT_FOUND", "Record not found")
            del self.records[name]
            return {"recordName": name, "deleted": True}
        if kind == "create" and current is not None:
            raise RecordError("EXISTS", "a record with this recordName already exists")

        given, receipts = self.incoming_fields(name, record.get("fields"))
        if current is None:
            record_type = record.get("recordType")
            if not isinstance(record_type, str) or not record_type:
                raise RecordError("BAD_REQUEST", "recordType is required to create a record")
            fields = {}
        else:
            record_type = current["recordType"]
            fields = dict(current["fields"]) if kind in ("update", "forceUpdate") else {}
        for field_name, field in given.items():
            if field is None:
                fields.pop(field_name, None)
            else:
                fields[field_name] = field
        if record_size(fields) > RECORD_LIMIT:
            raise RecordError("BAD_REQUEST", "record is larger than 1 MB without its assets")

        stamp = self.stamp()
        self.records[name] = {
            "recordName": name, "recordType": record_type,
            "recordChangeTag": secrets.token_hex(5),
            "created": current["created"] if current else stamp, "modified": stamp,
            "fields": fields,
        }
        for receipt in receipts:  # only a saved record uses up its receipts
            self.receipts.pop(receipt)
        return self.records[name]

    def incoming_fields(self, record_name, fields):
        """Validates request fields; returns (fields, receipts they would consume)."""
        if fields is None:
            return {}, []
        if not isinstance(fields, dict):
            raise RecordError("BAD_REQUEST", "fields must be a dictionary")
        accepted, receipts = {}, []
        for name, field in fields.items():
            if not isinstance(field, dict) or "value" not in field:
                raise RecordError("BAD_REQUEST", f"field {name!r} needs a value")
            value, kind = field["value"], field.get("type")
            if value is None:
                accepted[name] = None
            elif kind == "ASSETID" or (kind is None and isinstance(value, dict)
                                       and "receipt" in value):
                accepted[name] = self.asset_field(record_name, name, value)
                receipts.append(value["receipt"])
            else:
                if kind is None and not isinstance(value, bool):
                    kind = {int: "INT64", float: "DOUBLE", str: "STRING"}.get(type(value))
                accepted[name] = {"value": value, "type": kind} if kind else {"value": value}
        return accepted, receipts

    def asset_field(self, record_name, field_name, value):
        if not isinstance(value, dict):
            raise RecordError("BAD_REQUEST", f"asset field {field_name!r} needs a dictionary")
        asset = self.receipts.get(value.get("receipt"))
        if asset is None:
            raise RecordError("BAD_REQUEST", "unknown or already used asset receipt")
        if asset["expires"] < time.monotonic():
            raise RecordError("BAD_REQUEST", "asset receipt expired")
        if (asset["recordName"], asset["fieldName"]) != (record_name, field_name):
            raise RecordError("BAD_REQUEST", "asset was uploaded for another record field")
        if any(value.get(key) != asset[key] for key in ASSET_KEYS):
            raise RecordError("BAD_REQUEST", "asset dictionary does not match its upload")
        stored = {key: asset[key] for key in ASSET_KEYS}
        stored["assetId"] = asset["assetId"]
        return {"value": stored, "type": "ASSETID"}

    # --- assets ----------------------------------------------------------

    def upload(self, body):
        answers = []
        for item in self.items(body, "tokens"):
            if not isinstance(item, dict) or not item.get("fieldName"):
                raise ApiError("BAD_REQUEST", "fieldName is required for every token")
            name = item.get("recordName") or str(uuid.uuid4())
            slot = secrets.token_urlsafe(16)
            self.slots[slot] = {"recordName": name, "fieldName": item["fieldName"],
                                "expires": time.monotonic() + UPLOAD_URL_TTL}
            answers.append({"recordName": name, "fieldName": item["fieldName"],
                            "url": f"{self.base}/upload/{slot}"})
        return {"tokens": answers}

    def store_upload(self, slot_id, data):
        slot = self.slots.pop(slot_id, None)  # each upload URL takes one file
        if slot is None:
            raise ApiError("NOT_FOUND", "unknown or already used upload URL")
        if slot["expires"] < time.monotonic():
            raise ApiError("BAD_REQUEST", "upload URL expired")
        asset_id = secrets.token_hex(12)
        self.assets[asset_id] = data
        key = os.urandom(32)
        single = {"wrappingKey": b64(key), "fileChecksum": b64(hashlib.sha256(data).digest()),
                  "receipt": "rcpt." + secrets.token_urlsafe(24),
                  "referenceChecksum": b64(hashlib.sha256(key).digest()), "size": len(data)}
        self.receipts[single["receipt"]] = dict(
            single, assetId=asset_id, recordName=slot["recordName"],
            fieldName=slot["fieldName"], expires=time.monotonic() + RECEIPT_TTL)
        return {"singleFile": single}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "CloudKitStandIn/1"

    def log_message(self, *args):
        pass  # the default line would print the query string, tokens included

    def do_GET(self):
        self.dispatch()

    do_POST = do_PUT = do_DELETE = do_PATCH = do_HEAD = do_OPTIONS = do_GET

    @property
    def store(self):
        return self.server.store

    def dispatch(self):
        url = urlsplit(self.path)
        self.new_token, self.status, self.body_size = None, 0, 0
        params = [pair.split("=", 1)[0] for pair in url.query.split("&")]
        try:
            if url.path.startswith("/_control/"):
                self.control(url.path[len("/_control/"):])
            else:
                self.route(url.path, url.query)
        except ApiError as err:
            self.send_json(err.status, err.body, err.headers)
        finally:
            if not url.path.startswith("/_control/"):
                with self.store.lock:
                    self.store.log.append({
                        "method": self.command, "path": url.path,
                        "webAuthToken": "ckWebAuthToken" in params,
                        "bodySize": self.body_size, "status": self.status})

    def route(self, path, query):
        prefix = f"/database/1/{self.server.container}/{self.server.environment}/private/"
        if path.startswith(prefix) and path[len(prefix):] in DATABASE_OPERATIONS:
            self.database(DATABASE_OPERATIONS[path[len(prefix):]], query)
        elif path == f"/database/1/{self.server.container}/{self.server.environment}/public/users/caller":
            self.caller(query)
        elif path.startswith("/upload/"):
            self.upload_file(path[len("/upload/"):])
        elif path.startswith("/asset/"):
            self.download(path[len("/asset/"):])
        elif path == "/signin":
            self.signin()
        else:
            self.read_body(JSON_BODY_LIMIT)
            raise ApiError("NOT_FOUND", f"no such endpoint: {path}")

    def require_method(self, method):
        if self.command != method:
            raise ApiError("BAD_REQUEST", f"use {method}", status=405, headers=[("Allow", method)])

    # --- database endpoints ----------------------------------------------

    def database(self, operation, query):
        body = self.read_body(JSON_BODY_LIMIT)  # drained first so keep-alive survives errors
        self.require_method("POST")
        if parse_qs(query).get("ckAPIToken") != [self.server.api_token]:
            raise ApiError("AUTHENTICATION_FAILED", "missing or unknown ckAPIToken")
        token = self.web_auth_token(query)
        with self.store.lock:
            valid, self.new_token = self.store.use_token(token)
            failure = self.store.take_failure(operation) if valid else None
        if not valid:
            raise ApiError("AUTHENTICATION_REQUIRED", "request needs authorization",
                           redirectURL=self.signin_url())
        if failure:
            self.fail(failure, token)
        if body is None:
            raise ApiError("BAD_REQUEST", "request body is larger than 1 MB", status=413)
        try:
            request = json.loads(body or b"{}")
        except ValueError:
            raise ApiError("BAD_REQUEST", "request body is not JSON") from None
        if not isinstance(request, dict):
            raise ApiError("BAD_REQUEST", "request body must be a JSON object")
        with self.store.lock:
            answer = getattr(self.store, operation)(request)
        self.send_json(200, answer)

    def caller(self, query):
        """The signed-in user's identity; its name only when the user let it be discovered."""
        self.read_body(JSON_BODY_LIMIT)
        self.require_method("GET")
        if parse_qs(query).get("ckAPIToken") != [self.server.api_token]:
            raise ApiError("AUTHENTICATION_FAILED", "missing or unknown ckAPIToken")
        token = self.web_auth_token(query)
        with self.store.lock:
            valid, self.new_token = self.store.use_token(token)
        if not valid:
            raise ApiError("AUTHENTICATION_REQUIRED", "request needs authorization",
                           redirectURL=self.signin_url())
        identity = {"userRecordName": self.store.user,
                    "lookupInfo": {"userRecordName": self.store.user}}
        names = {key: value for key, value in (("givenName", self.server.given_name),
                                                ("familyName", self.server.family_name)) if value}
        if names:
            identity["nameComponents"] = names
        self.send_json(200, {"users": [identity]})

    @staticmethod
    def web_auth_token(query):
        values = [pair[len("ckWebAuthToken="):] for pair in query.split("&")
                  if pair.startswith("ckWebAuthToken=")]
        if len(values) != 1 or any(c in values[0] for c in "+/="):
            return None  # the reference asks for '+', '/' and '=' to be percent-encoded
        return unquote(values[0])

    def signin_url(self):
        return (f"{self.store.base}/signin?container={quote(self.server.container)}"
                f"&environment={quote(self.server.environment)}")

    def fail(self, failure, token):
        code = failure["serverErrorCode"]
        extra = {"retryAfter": failure.get("retryAfter")}
        if code in ("AUTHENTICATION_REQUIRED", "AUTHENTICATION_FAILED"):
            # A simulated sign-out: the session ends, so no replacement token either.
            with self.store.lock:
                self.store.tokens.pop(token, None)
                self.store.tokens.pop(self.new_token, None)
            self.new_token = None
            if code == "AUTHENTICATION_REQUIRED":
                extra["redirectURL"] = self.signin_url()
        raise ApiError(code, failure["reason"], status=failure["status"], **extra)

    def injected_failure(self, operation):
        with self.store.lock:
            failure = self.store.take_failure(operation)
        if failure:
            self.fail(failure, None)

    # --- asset URLs and sign-in ------------------------------------------

    def upload_file(self, slot_id):
        data = self.read_body(UPLOAD_LIMIT)
        self.require_method("POST")
        self.injected_failure("upload-file")
        if data is None:
            raise ApiError("BAD_REQUEST", "asset is larger than 15 MB", status=413)
        with self.store.lock:
            answer = self.store.store_upload(slot_id, data)
        self.send_json(200, answer)

    def download(self, asset_id):
        self.read_body(JSON_BODY_LIMIT)
        self.require_method("GET")
        self.injected_failure("download")
        with self.store.lock:
            data = self.store.assets.get(asset_id)
        if data is None:
            raise ApiError("NOT_FOUND", "no such asset")
        self.send_bytes(200, data, "application/octet-stream")

    def signin(self):
        self.read_body(JSON_BODY_LIMIT)
        self.require_method("GET")
        with self.store.lock:
            token = self.store.issue_token()
        callback = self.server.callback
        separator = "&" if "?" in callback else "?"
        location = f"{callback}{separator}ckWebAuthToken={quote(token, safe='')}"
        self.send_bytes(302, b"", "text/plain", [("Location", location)])

    # --- test control ----------------------------------------------------

    def control(self, action):
        body = self.read_body(JSON_BODY_LIMIT)
        store = self.store
        if action.startswith("record/"):
            self.require_method("GET")
            name = unquote(action[len("record/"):])
            with store.lock:
                record = store.records.get(name)
                payload = record and record["fields"].get("payload")
                data = (store.assets.get(payload["value"]["assetId"])
                        if payload and payload.get("type") == "ASSETID" else None)
                answer = {"record": store.render(record) if record else None,
                          "payload": b64(data) if data is not None else None}
        elif action == "issue-token":
            self.require_method("POST")
            with store.lock:
                answer = {"ckWebAuthToken": store.issue_token()}
        elif action == "expire-tokens":
            self.require_method("POST")
            with store.lock:
                answer = {"expired": len(store.tokens)}
                store.tokens.clear()
        elif action.startswith("touch/"):
            self.require_method("POST")
            name = unquote(action[len("touch/"):])
            with store.lock:
                record = store.records.get(name)
                if record is None:
                    raise ApiError("NOT_FOUND", "Record not found", recordName=name)
                record["recordChangeTag"] = secrets.token_hex(5)
                record["modified"] = store.stamp(device="another-device")
                answer = {"recordName": name, "recordChangeTag": record["recordChangeTag"]}
        elif action == "fail-next":
            self.require_method("POST")
            failure = self.parse_failure(body)
            with store.lock:
                store.failures.append(failure)
            answer = {"queued": failure}
        elif action == "log":
            self.require_method("GET")
            with store.lock:
                answer = list(store.log)
        else:
            raise ApiError("NOT_FOUND", f"no such control endpoint: {action}")
        self.send_json(200, answer)

    @staticmethod
    def parse_failure(body):
        try:
            request = json.loads(body or b"{}")
        except ValueError:
            raise ApiError("BAD_REQUEST", "fail-next body is not JSON") from None
        if not isinstance(request, dict) or request.get("operation", "any") not in FAILABLE:
            raise ApiError("BAD_REQUEST", f"operation must be one of {sorted(FAILABLE)}")
        code = request.get("serverErrorCode", "TRY_AGAIN_LATER")
        failure = {"operation": request.get("operation", "any"), "serverErrorCode": code,
                   "status": int(request.get("status", STATUS.get(code, 500))),
                   "reason": request.get("reason", "injected failure")}
        if request.get("retryAfter") is not None:
            failure["retryAfter"] = request["retryAfter"]
        return failure

    # --- plumbing --------------------------------------------------------

    def read_body(self, limit):
        """Reads the body; None when it is over limit (read anyway, to keep the connection)."""
        chunked = "chunked" in self.headers.get("Transfer-Encoding", "").lower()
        length = int(self.headers.get("Content-Length") or 0)
        if not chunked and length > DRAIN_LIMIT:
            self.body_size, self.close_connection = length, True
            return None
        kept, total = [], 0
        for piece in self.body_pieces(chunked, length):
            total += len(piece)
            if total <= limit:
                kept.append(piece)
        self.body_size = total
        return b"".join(kept) if total <= limit else None

    def body_pieces(self, chunked, length):
        if not chunked:
            while length > 0:
                piece = self.rfile.read(min(length, 65536))
                if not piece:
                    return
                length -= len(piece)
                yield piece
            return
        while True:
            size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
            if size == 0:
                while self.rfile.readline().strip():
                    pass  # trailers
                return
            yield self.rfile.read(size)
            self.rfile.readline()

    def send_json(self, status, payload, headers=()):
        headers = list(headers)
        if self.new_token:
            if self.server.token_header:
                headers.append(("X-Apple-CloudKit-Web-Auth-Token", self.new_token))
            elif isinstance(payload, dict):
                payload = dict(payload, ckWebAuthToken=self.new_token)
        data = json.dumps(payload).encode("utf-8")
        self.send_bytes(status, data, "application/json; charset=UTF-8", headers)

    def send_bytes(self, status, data, content_type, headers=()):
        self.status = status
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)  # clients hanging up is routine


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--container", required=True)
    parser.add_argument("--environment", required=True)
    parser.add_argument("--api-token", required=True)
    parser.add_argument("--callback", required=True, help="sign-in callback URL")
    parser.add_argument("--rotate-tokens", action="store_true",
                        help="web auth tokens are single-use and replaced in every answer")
    parser.add_argument("--token-header", action="store_true",
                        help="hand replacement tokens back in X-Apple-CloudKit-Web-Auth-Token")
    parser.add_argument("--given-name", default="",
                        help="the signed-in user's first name, when discoverable")
    parser.add_argument("--family-name", default="",
                        help="the signed-in user's last name, when discoverable")
    args = parser.parse_args()

    server = Server(("127.0.0.1", 0), Handler)
    server.container, server.environment = args.container, args.environment
    server.api_token, server.callback = args.api_token, args.callback
    server.token_header = args.token_header
    server.given_name, server.family_name = args.given_name, args.family_name
    server.store = Store(args)
    port = server.server_address[1]
    server.store.base = f"http://127.0.0.1:{port}"

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())

    def watch_stdin():
        try:
            while os.read(0, 65536):
                pass
        except OSError:
            pass
        stop.set()

    threading.Thread(target=watch_stdin, daemon=True).start()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(f"PORT {port}", flush=True)
    while not stop.wait(0.5):
        pass
    server.shutdown()
    server.server_close()


if __name__ == "__main__":
    main()
