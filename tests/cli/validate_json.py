#!/usr/bin/env python3
"""Checks a JSON document against a JSON Schema, for the part of the schema language that
docs/tarmac-results.schema.json uses: type, properties, required, additionalProperties, items,
minItems, enum, const, minimum and $ref into $defs. Prints each fault with its place and exits 1
when there is one, 0 when the document conforms."""
import json
import sys

TYPES = {
    "object": lambda v: isinstance(v, dict),
    "array": lambda v: isinstance(v, list),
    "string": lambda v: isinstance(v, str),
    "boolean": lambda v: isinstance(v, bool),
    "integer": lambda v: isinstance(v, int) and not isinstance(v, bool),
    "number": lambda v: isinstance(v, (int, float)) and not isinstance(v, bool),
    "null": lambda v: v is None,
}
KNOWN = {"$schema", "$id", "$defs", "$ref", "$comment", "title", "description", "type",
         "properties", "required", "additionalProperties", "items", "minItems", "enum", "const",
         "minimum"}


def check(value, schema, root, where, faults):
    unknown = set(schema) - KNOWN
    if unknown:
        # A keyword this checker does not know would pass unchecked: refuse the schema instead.
        raise SystemExit("schema keyword(s) not supported at %s: %s" % (where, sorted(unknown)))
    if "$ref" in schema:
        ref = schema["$ref"]
        if not ref.startswith("#/$defs/"):
            raise SystemExit("unsupported $ref " + ref)
        check(value, root["$defs"][ref[len("#/$defs/"):]], root, where, faults)
    if "type" in schema:
        types = schema["type"] if isinstance(schema["type"], list) else [schema["type"]]
        if not any(TYPES[t](value) for t in types):
            faults.append("%s: %r is not of type %s" % (where, value, "/".join(types)))
            return
    if "enum" in schema and value not in schema["enum"]:
        faults.append("%s: %r is not one of %r" % (where, value, schema["enum"]))
    if "const" in schema and value != schema["const"]:
        faults.append("%s: %r is not %r" % (where, value, schema["const"]))
    if "minimum" in schema and TYPES["number"](value) and value < schema["minimum"]:
        faults.append("%s: %r is below %r" % (where, value, schema["minimum"]))
    if isinstance(value, dict):
        props = schema.get("properties", {})
        for name in schema.get("required", []):
            if name not in value:
                faults.append("%s: %s is missing" % (where, name))
        extra = schema.get("additionalProperties", True)
        for name, v in value.items():
            if name in props:
                check(v, props[name], root, where + "." + name, faults)
            elif extra is False:
                faults.append("%s: %s is not expected" % (where, name))
            elif isinstance(extra, dict):
                check(v, extra, root, where + "." + name, faults)
    if isinstance(value, list):
        if len(value) < schema.get("minItems", 0):
            faults.append("%s: fewer than %d items" % (where, schema["minItems"]))
        if "items" in schema:
            for i, v in enumerate(value):
                check(v, schema["items"], root, "%s[%d]" % (where, i), faults)


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: validate_json.py SCHEMA DOCUMENT")
    with open(sys.argv[1]) as f:
        schema = json.load(f)
    with open(sys.argv[2]) as f:
        document = json.load(f)
    faults = []
    check(document, schema, schema, "$", faults)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
