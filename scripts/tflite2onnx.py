#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Converts a TensorFlow Lite model (a flat buffer laid out as TensorFlow Lite's published
schema.fbs) into an ONNX model that OpenCV's dnn module reads.

Only the operators the BlazePose models use are known: CONV_2D, DEPTHWISE_CONV_2D, ADD, PAD,
MAX_POOL_2D, RESIZE_BILINEAR, RESHAPE, LOGISTIC, CONCATENATION, DEPTH_TO_SPACE, and DEQUANTIZE
and DENSIFY, which are evaluated here and become plain float32 constants. TensorFlow Lite's
activations are NHWC; the ONNX graph keeps every four-dimensional activation NCHW (its input
too) and turns back to NHWC only where a RESHAPE needs TensorFlow Lite's element order.

    tflite2onnx.py MODEL.tflite OUT.onnx [--outputs NAME,NAME]

--outputs keeps only those of the model's outputs (and what they need), by tensor name.
"""

import argparse
import struct
import sys

import numpy as np
import onnx
from onnx import TensorProto, helper, numpy_helper


class Table:
    """A flat buffer table: fields by their index in schema.fbs."""

    def __init__(self, buf, pos):
        self.buf = buf
        self.pos = pos
        vtable = pos - struct.unpack_from("<i", buf, pos)[0]
        self.vsize = struct.unpack_from("<H", buf, vtable)[0]
        self.vtable = vtable

    def _offset(self, field):
        entry = 4 + 2 * field
        if entry >= self.vsize:
            return 0
        return struct.unpack_from("<H", self.buf, self.vtable + entry)[0]

    def has(self, field):
        return self._offset(field) != 0

    def scalar(self, field, fmt, default=0):
        off = self._offset(field)
        if not off:
            return default
        return struct.unpack_from("<" + fmt, self.buf, self.pos + off)[0]

    def _indirect(self, field):
        off = self._offset(field)
        if not off:
            return None
        at = self.pos + off
        return at + struct.unpack_from("<I", self.buf, at)[0]

    def table(self, field):
        at = self._indirect(field)
        return None if at is None else Table(self.buf, at)

    def vector(self, field, fmt):
        at = self._indirect(field)
        if at is None:
            return []
        n = struct.unpack_from("<I", self.buf, at)[0]
        return list(struct.unpack_from("<%d%s" % (n, fmt), self.buf, at + 4))

    def raw(self, field):
        at = self._indirect(field)
        if at is None:
            return b""
        n = struct.unpack_from("<I", self.buf, at)[0]
        return bytes(self.buf[at + 4:at + 4 + n])

    def tables(self, field):
        at = self._indirect(field)
        if at is None:
            return []
        n = struct.unpack_from("<I", self.buf, at)[0]
        out = []
        for i in range(n):
            element = at + 4 + 4 * i
            out.append(Table(self.buf, element + struct.unpack_from("<I", self.buf, element)[0]))
        return out

    def string(self, field):
        return self.raw(field).decode("utf-8")


# BuiltinOperator codes of schema.fbs.
OPS = {0: "ADD", 2: "CONCATENATION", 3: "CONV_2D", 4: "DEPTHWISE_CONV_2D", 5: "DEPTH_TO_SPACE",
       6: "DEQUANTIZE", 14: "LOGISTIC", 17: "MAX_POOL_2D", 22: "RESHAPE", 23: "RESIZE_BILINEAR",
       34: "PAD", 124: "DENSIFY"}
# TensorType.
DTYPES = {0: np.float32, 1: np.float16, 2: np.int32, 3: np.uint8, 4: np.int64, 9: np.int8}


class ConversionError(Exception):
    pass


def densify(values, shape, sparsity):
    """Expands a sparse constant (TensorFlow Lite's SparsityParameters) to a dense array."""
    traversal = sparsity.vector(0, "i")
    block_map = sparsity.vector(1, "i")
    levels = []
    for meta in sparsity.tables(2):
        if meta.scalar(0, "b") == 0:
            levels.append(("dense", meta.scalar(1, "i"), None, None))
        else:
            kinds = {1: "i", 2: "H", 3: "B"}
            segments = meta.table(3).vector(0, kinds[meta.scalar(2, "B")])
            indices = meta.table(5).vector(0, kinds[meta.scalar(4, "B")])
            levels.append(("sparse", None, segments, indices))
    rank = len(shape)
    block_size = {}
    for level, dim in enumerate(traversal):
        if dim >= rank:
            block_size[block_map[dim - rank]] = levels[level][1]
    dense = np.zeros(shape, dtype=values.dtype)
    coords = [0] * len(traversal)

    def walk(level, position):
        if level == len(traversal):
            index = []
            for d in range(rank):
                c = coords[d]
                if d in block_size:
                    c = c * block_size[d] + coords[rank + block_map.index(d)]
                index.append(c)
            dense[tuple(index)] = values[position]
            return
        kind, size, segments, indices = levels[level]
        dim = traversal[level]
        if kind == "dense":
            for j in range(size):
                coords[dim] = j
                walk(level + 1, position * size + j)
        else:
            for k in range(segments[position], segments[position + 1]):
                coords[dim] = indices[k]
                walk(level + 1, k)

    walk(0, 0)
    return dense


class Converter:
    def __init__(self, data):
        model = Table(data, struct.unpack_from("<I", data, 0)[0])
        self.data = data
        codes = []
        for code in model.tables(1):
            builtin = max(code.scalar(0, "b"), code.scalar(3, "i"))
            codes.append(builtin)
        self.codes = codes
        self.buffers = model.tables(4)
        graphs = model.tables(2)
        if len(graphs) != 1:
            raise ConversionError("the model has %d subgraphs; one is expected" % len(graphs))
        self.graph = graphs[0]
        self.tensors = self.graph.tables(0)
        self.constants = {}  # tensor index -> numpy array (TensorFlow Lite's layout)
        self.nchw = set()  # tensor indices whose ONNX value is NCHW
        self.nodes = []
        self.initializers = []
        self.counter = 0

    def name(self, index):
        return self.tensors[index].string(3)

    def shape(self, index):
        return self.tensors[index].vector(0, "i")

    def buffer_array(self, index):
        tensor = self.tensors[index]
        buf = self.buffers[tensor.scalar(2, "I")]
        raw = buf.raw(0)
        if not raw and buf.scalar(1, "Q"):
            start = buf.scalar(1, "Q")
            raw = bytes(self.data[start:start + buf.scalar(2, "Q")])
        if not raw:
            return None
        dtype = DTYPES.get(tensor.scalar(1, "b"))
        if dtype is None:
            raise ConversionError("tensor %s has an unknown type" % self.name(index))
        values = np.frombuffer(raw, dtype=dtype).copy()
        sparsity = tensor.table(6)
        if sparsity is not None:
            return ("sparse", values, sparsity)
        return values.reshape(self.shape(index))

    def constant(self, index):
        if index in self.constants:
            return self.constants[index]
        value = self.buffer_array(index)
        if isinstance(value, tuple):
            raise ConversionError("sparse tensor %s is used without DENSIFY" % self.name(index))
        return value

    def is_constant(self, index):
        if index in self.constants:
            return True
        tensor = self.tensors[index]
        buf = self.buffers[tensor.scalar(2, "I")]
        return bool(buf.raw(0)) or bool(buf.scalar(1, "Q"))

    def fresh(self, stem):
        self.counter += 1
        return "%s__%d" % (stem, self.counter)

    def add_constant(self, stem, array):
        name = self.fresh(stem)
        self.initializers.append(numpy_helper.from_array(np.ascontiguousarray(array), name))
        return name

    def node(self, op, inputs, outputs, **attrs):
        self.nodes.append(helper.make_node(op, inputs, outputs, name=self.fresh(op), **attrs))

    def activation(self, value, code, final):
        """Appends the fused activation `code` to `value`, giving `final`."""
        if code == 0:
            self.node("Identity", [value], [final])
        elif code == 1:
            self.node("Relu", [value], [final])
        elif code == 3:
            # The one-input form with min and max attributes: the form OpenCV 4.6 reads.
            self.node("Clip", [value], [final], min=0.0, max=6.0)
        else:
            raise ConversionError("fused activation %d is not supported" % code)

    def with_activation(self, op, inputs, output, code, **attrs):
        if code == 0:
            self.node(op, inputs, [output], **attrs)
        else:
            inner = self.fresh(output)
            self.node(op, inputs, [inner], **attrs)
            self.activation(inner, code, output)

    @staticmethod
    def same_pads(size, kernel, stride, dilation=1):
        out = (size + stride - 1) // stride
        total = max((out - 1) * stride + (kernel - 1) * dilation + 1 - size, 0)
        return total // 2, total - total // 2

    def pads(self, padding, shape_in, kh, kw, sh, sw, dh=1, dw=1):
        if padding == 1:  # VALID
            return [0, 0, 0, 0]
        top, bottom = self.same_pads(shape_in[1], kh, sh, dh)
        left, right = self.same_pads(shape_in[2], kw, sw, dw)
        return [top, left, bottom, right]

    def value(self, index):
        """The ONNX name of a tensor, as a constant made NCHW when the graph needs that."""
        if self.is_constant(index):
            array = self.constant(index).astype(np.float32)
            if array.ndim == 4:
                array = array.transpose(0, 3, 1, 2)
            elif array.ndim == 1:
                array = array.reshape(1, -1, 1, 1)
            return self.add_constant(self.name(index), array)
        return self.name(index)

    def convert_op(self, op):
        code = self.codes[op.scalar(0, "I")]
        kind = OPS.get(code)
        inputs = op.vector(1, "i")
        outputs = op.vector(2, "i")
        options = op.table(4)
        if kind is None:
            raise ConversionError("operator %d is not supported" % code)
        out = outputs[0]
        out_name = self.name(out)

        if kind in ("DEQUANTIZE", "DENSIFY"):
            if kind == "DENSIFY":
                sparse = self.buffer_array(inputs[0])
                if not isinstance(sparse, tuple):
                    self.constants[out] = sparse
                else:
                    self.constants[out] = densify(sparse[1], self.shape(inputs[0]), sparse[2])
            else:
                self.constants[out] = self.constant(inputs[0]).astype(np.float32)
            return

        if kind == "CONV_2D":
            weights = self.constant(inputs[1]).astype(np.float32)  # O H W I
            kh, kw = weights.shape[1], weights.shape[2]
            sw, sh = options.scalar(1, "i", 1), options.scalar(2, "i", 1)
            dw, dh = options.scalar(4, "i", 1), options.scalar(5, "i", 1)
            pads = self.pads(options.scalar(0, "b"), self.shape(inputs[0]), kh, kw, sh, sw, dh, dw)
            names = [self.name(inputs[0]), self.add_constant("w", weights.transpose(0, 3, 1, 2))]
            if len(inputs) > 2 and inputs[2] >= 0:
                names.append(self.add_constant("b", self.constant(inputs[2]).astype(np.float32)))
            self.with_activation("Conv", names, out_name, options.scalar(3, "b"), kernel_shape=[kh, kw],
                                 strides=[sh, sw], dilations=[dh, dw], pads=pads, group=1)
            self.nchw.add(out)
        elif kind == "DEPTHWISE_CONV_2D":
            weights = self.constant(inputs[1]).astype(np.float32)  # 1 H W O
            kh, kw = weights.shape[1], weights.shape[2]
            sw, sh = options.scalar(1, "i", 1), options.scalar(2, "i", 1)
            dw, dh = options.scalar(5, "i", 1), options.scalar(6, "i", 1)
            channels = self.shape(inputs[0])[3]
            pads = self.pads(options.scalar(0, "b"), self.shape(inputs[0]), kh, kw, sh, sw, dh, dw)
            names = [self.name(inputs[0]), self.add_constant("w", weights.transpose(3, 0, 1, 2))]
            if len(inputs) > 2 and inputs[2] >= 0:
                names.append(self.add_constant("b", self.constant(inputs[2]).astype(np.float32)))
            self.with_activation("Conv", names, out_name, options.scalar(4, "b"), kernel_shape=[kh, kw],
                                 strides=[sh, sw], dilations=[dh, dw], pads=pads, group=channels)
            self.nchw.add(out)
        elif kind == "ADD":
            names = [self.value(i) for i in inputs]
            self.with_activation("Add", names, out_name, options.scalar(0, "b") if options else 0)
            if any(i in self.nchw for i in inputs):
                self.nchw.add(out)
        elif kind == "LOGISTIC":
            self.node("Sigmoid", [self.name(inputs[0])], [out_name])
            if inputs[0] in self.nchw:
                self.nchw.add(out)
        elif kind == "MAX_POOL_2D":
            sw, sh = options.scalar(1, "i", 1), options.scalar(2, "i", 1)
            kw, kh = options.scalar(3, "i"), options.scalar(4, "i")
            pads = self.pads(options.scalar(0, "b"), self.shape(inputs[0]), kh, kw, sh, sw)
            self.with_activation("MaxPool", [self.name(inputs[0])], out_name, options.scalar(5, "b"),
                                 kernel_shape=[kh, kw], strides=[sh, sw], pads=pads)
            self.nchw.add(out)
        elif kind == "PAD":
            paddings = self.constant(inputs[1]).astype(np.int64)  # [4, 2], NHWC
            order = [0, 3, 1, 2]
            begin = [paddings[d][0] for d in order]
            end = [paddings[d][1] for d in order]
            pads = self.add_constant("pads", np.array(begin + end, dtype=np.int64))
            self.node("Pad", [self.name(inputs[0]), pads], [out_name], mode="constant")
            self.nchw.add(out)
        elif kind == "RESIZE_BILINEAR":
            shape_in = self.shape(inputs[0])
            shape_out = self.shape(out)
            align = bool(options.scalar(2, "B")) if options else False
            half = bool(options.scalar(3, "B")) if options else False
            mode = "align_corners" if align else ("half_pixel" if half else "asymmetric")
            scales = self.add_constant("scales", np.array(
                [1, 1, shape_out[1] / shape_in[1], shape_out[2] / shape_in[2]], dtype=np.float32))
            self.node("Resize", [self.name(inputs[0]), "", scales], [out_name], mode="linear",
                      coordinate_transformation_mode=mode)
            self.nchw.add(out)
        elif kind == "DEPTH_TO_SPACE":
            self.node("DepthToSpace", [self.name(inputs[0])], [out_name], blocksize=options.scalar(0, "i"),
                      mode="DCR")
            self.nchw.add(out)
        elif kind == "CONCATENATION":
            axis = options.scalar(0, "i")
            rank = len(self.shape(out))
            axis = axis + rank if axis < 0 else axis
            if rank == 4 and all(i in self.nchw for i in inputs):
                axis = [0, 2, 3, 1][axis]
                self.nchw.add(out)
            elif any(i in self.nchw for i in inputs):
                raise ConversionError("a concatenation mixes layouts")
            self.with_activation("Concat", [self.name(i) for i in inputs], out_name, options.scalar(1, "b"),
                                 axis=axis)
        elif kind == "RESHAPE":
            source = self.name(inputs[0])
            if inputs[0] in self.nchw:
                nhwc = self.fresh(source + "_nhwc")
                self.node("Transpose", [source], [nhwc], perm=[0, 2, 3, 1])
                source = nhwc
            shape = self.shape(out)
            target = self.add_constant("shape", np.array(shape, dtype=np.int64))
            if len(shape) == 4:
                flat = self.fresh(out_name + "_nhwc")
                self.node("Reshape", [source, target], [flat])
                self.node("Transpose", [flat], [out_name], perm=[0, 3, 1, 2])
                self.nchw.add(out)
            else:
                self.node("Reshape", [source, target], [out_name])

    def convert(self, keep):
        graph_inputs = self.graph.vector(1, "i")
        graph_outputs = self.graph.vector(2, "i")
        if keep:
            by_name = {self.name(i): i for i in graph_outputs}
            missing = [n for n in keep if n not in by_name]
            if missing:
                raise ConversionError("no output named %s; the outputs are %s" %
                                      (", ".join(missing), ", ".join(by_name)))
            graph_outputs = [by_name[n] for n in keep]
        for index in graph_inputs:
            self.nchw.add(index)
        for op in self.graph.tables(3):
            self.convert_op(op)

        inputs = []
        for index in graph_inputs:
            n, h, w, c = self.shape(index)
            inputs.append(helper.make_tensor_value_info(self.name(index), TensorProto.FLOAT, [n, c, h, w]))
        outputs = []
        for index in graph_outputs:
            shape = self.shape(index)
            if index in self.nchw and len(shape) == 4:
                shape = [shape[0], shape[3], shape[1], shape[2]]
            outputs.append(helper.make_tensor_value_info(self.name(index), TensorProto.FLOAT, shape))

        # Only what the kept outputs need.
        needed = {o.name for o in outputs}
        nodes = []
        for node in reversed(self.nodes):
            if any(o in needed for o in node.output):
                nodes.append(node)
                needed.update(i for i in node.input if i)
        nodes.reverse()
        initializers = [t for t in self.initializers if t.name in needed]
        graph = helper.make_graph(nodes, "converted", inputs, outputs, initializers)
        model = helper.make_model(graph, producer_name="talvo-rula tflite2onnx",
                                  opset_imports=[helper.make_opsetid("", 11)])
        return model


def main():
    parser = argparse.ArgumentParser(description="Converts a TensorFlow Lite model to ONNX.")
    parser.add_argument("model")
    parser.add_argument("output")
    parser.add_argument("--outputs", default="", help="the outputs to keep, by name, separated by commas")
    args = parser.parse_args()
    try:
        with open(args.model, "rb") as f:
            data = f.read()
        if data[4:8] != b"TFL3":
            raise ConversionError("not a TensorFlow Lite model")
        keep = [n for n in args.outputs.split(",") if n]
        model = Converter(data).convert(keep)
    except (ConversionError, OSError, struct.error) as error:
        print("tflite2onnx: %s: %s" % (args.model, error), file=sys.stderr)
        return 1
    # Not onnx.checker: it rejects the one-input Clip that OpenCV needs.
    onnx.save(model, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
